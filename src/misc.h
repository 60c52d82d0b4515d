// misc.h — data interfaces: output enables, formatters, frame strobes and load points.
#pragma once
void misc_config();
