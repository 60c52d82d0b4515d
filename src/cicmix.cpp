// cicmix.cpp — CIC stages and shifts, gain factors and the NCO mixer's data selects.
#include "cicmix.h"

void cic_mix_config() {}
