// numword.h — what counts as a number in a control-file word or a
// coefficient line: where a number begins, the fraction or exponent that may
// follow an integer's digits, and a decimal number with a fraction or an
// exponent taken as a whole number.
#pragma once

// True when `text` begins with a number: an optional sign, then a digit or a
// point and a digit ("4", "-3", "+.5", "16MHz", "0x10"; not "-", ".", "e5").
bool begins_with_number(const char* text);

// True when `text`, standing right after the digits of an integer, carries
// the number on as a fraction or an exponent: a point (with or without
// digits after it), or 'e' or 'E' with an optional sign and a digit ("e4",
// "E-2"; not "e", "eh", "e+").
bool fraction_or_exponent_follows(const char* text);

// True when the word begins with a decimal number written with a fraction or
// an exponent: an optional sign, then digits that such a fraction or
// exponent follows, or a point and a digit ("16.0", "1e3", "-.5", "12.";
// not "12", "1e", "0x1f").
bool has_fraction_or_exponent(const char* word);

enum class WholeNumber { kWhole, kNotWhole, kOutOfRange };

// Reads the decimal number at the start of `word` (one for which
// has_fraction_or_exponent holds; anything after the number is ignored) and
// stores it in *out when it is a whole number within the range of int.
WholeNumber whole_number(const char* word, int* out);
