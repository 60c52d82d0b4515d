// gain.cpp — gain words, shifts and AGC settings, and the power estimate.
#include "gain.h"

void gain_config() {}
void calc_power() {}
