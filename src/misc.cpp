// misc.cpp — data interfaces: output enables, formatters, frame strobes and load points.
#include "misc.h"

void misc_config() {}
