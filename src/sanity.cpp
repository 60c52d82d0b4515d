// sanity.cpp — cross-checks of the finished configuration.
#include "sanity.h"

void sanity() {}
