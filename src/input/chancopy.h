// chancopy.h — whole-channel commands of the control file: coefficient files
// read into a channel with their statistics, and one channel copied into
// another.
#pragma once
#include <string>

// Reads the coefficient file `c` into channel `ch`. False, with the error
// reported and `err` set, when the file cannot be opened or an output of the
// run would replace it: the run must then end, which the interpreter tells
// the driver.
bool readcoef(int ch, const std::string& c);

// Copies the control-file variables and coefficients of `ch_old` into
// `ch_new`, unless the two pairs differ in direction.
void copy_channel(int ch_new, int ch_old);

// What one line of a coefficient file holds.
enum class CoefLine {
  kNone,              // no number: a comment or blank line, skipped
  kValue,             // one integer, perhaps with text that is no number after it
  kOutOfRange,        // an integer beyond the int range
  kNotAnInteger,      // an integer with a fraction or exponent: 0.5, 1e4, 12.
  kSeveral,           // more numbers after blanks, tabs or a comma: 100, 200
  kTypographicMinus,  // a typographic minus or en dash before the digits
};
// Reads a line (its piece, cut at "^M") as the coefficient reader does; the
// integer of kValue goes to *value.
CoefLine parse_coefficient(const std::string& text, int* value);
