// preconfig.h — power-down, split-I/Q, sample rates and NCO frequency words, settled before the mandatory check.
#pragma once
void preconfig();
