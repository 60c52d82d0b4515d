// setregs.cpp — packing of every variable into the paged register image.
#include "setregs.h"

void setregs() {}
