// cicmix.h — CIC stages and shifts, gain factors and the NCO mixer's data selects.
#pragma once
void cic_mix_config();
