// chancopy.h — whole-channel commands of the control file: coefficient files
// read into a channel with their statistics, and one channel copied into
// another.
#pragma once
#include <string>

// Reads the coefficient file `c` into channel `ch`; ends the process with
// status 1 when the file cannot be opened.
void readcoef(int ch, const std::string& c);

// Copies the control-file variables and coefficients of `ch_old` into
// `ch_new`, unless the two pairs differ in direction.
void copy_channel(int ch_new, int ch_old);

// Coefficient statistics, exposed for their own tests.
int coefficient_symmetry(const int* coefs, int n);
int largest_tap(const int* coefs, int n);
int sum_magnitude(const int* coefs, int n);
