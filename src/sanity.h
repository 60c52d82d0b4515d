// sanity.h — cross-checks of the finished configuration.
#pragma once
void sanity();
