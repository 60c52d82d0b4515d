// setregs.h — packing of every variable into the paged register image.
#pragma once
void setregs();
