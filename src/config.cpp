// config.cpp — the per-channel configuration loop and the chip-wide passes after it.
#include "config.h"

void config() {}
