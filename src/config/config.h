// config.h — the per-channel configuration loop and the chip-wide passes after it.
#pragma once
void config();
