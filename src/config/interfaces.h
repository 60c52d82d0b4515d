// interfaces.h — data interfaces: output enables, formatters, frame strobes, load
// points, the frame-strobe output delay and the receive input selects.
#pragma once

void misc_config();

// Clock, counted in chip clocks, at which channel ch's FIR swap toggle falls
// for a frame-strobe output delay fsoDly, cycleSft whole cycles later.
int getTogDly(int ch, int fsoDly, int cycleSft);
// Latest clock at which datNum serial words of tword clocks each, after a
// frame-strobe delay, have arrived (one slow clock later when the cycle is
// not a whole number of slow clocks).
int getSrtvDlyMax(int ch, int tword, int delay, int datNum);
// Earliest such clock.
int getSrtvDlyMin(int ch, int tword, int delay, int datNum);
// Smallest number of whole cycles k >= 0 with getTogDly(ch, 0, k) >
// srtvDly - getTogDly(ch, 0, 0); 0 when the channel's cycle length is not
// positive (no such k need exist).
int getCycleSft(int ch, int srtvDly);
