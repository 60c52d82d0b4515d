// interfaces.h — data interfaces: output enables, formatters, frame strobes, load
// points, the frame-strobe output delay and the receive input selects.
#pragma once

void misc_config();
