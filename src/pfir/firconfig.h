// firconfig.h — the PFIR plan of one channel: input rate, filter case, registers and RAM images.
#pragma once
#include "records.h"

// 1 planned and applied, 0 rejected by the planner, -1 coefficients do not fit.
int fir_config(CHAN* cp, int ch);
