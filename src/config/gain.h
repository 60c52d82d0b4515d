// gain.h — gain words, shifts and AGC settings, and the power estimate.
#pragma once
void gain_config();
void calc_power();
