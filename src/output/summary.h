// summary.h — the plan of a run at a glance (--summary): one row per
// channel with its direction, power, rates, CIC, PFIR, tuning, gain and
// output format, in aligned columns.
#pragma once
#include <string>

// The table for the records as the run left them, headed by a blank line
// and the control file's name.
std::string summary_table(const std::string& control_name);

// The frequency in MHz that the NCO words `msb`, `mid`, `lsb` tune at the
// clock `fck` (MHz): the 48-bit fraction of the clock, as a negative
// frequency when `negative` (the words of a negative tuning wrap once).
double programmed_frequency(int msb, int mid, int lsb, double fck, bool negative);
