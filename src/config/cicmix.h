// cicmix.h — CIC stages and shifts, gain factors and the NCO mixer's data selects.
#pragma once
void cic_mix_config();

// A computed CIC shift held to 0..39, with a warning at the caller's report
// line (line_below or line_above), unless the control file gave cic_shift
// (user_shift not -1): the user's shift is never second-guessed.
int clamped_cic_shift(int shift, int user_shift, int line_below, int line_above);
