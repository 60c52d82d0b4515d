// sanity.h — cross-checks of the finished configuration, with the gain
// analysis of each channel.
#pragma once
void sanity();

// The final overall gain of channel `ch` as the gain analysis reports it:
// gain block, filter, CIC and sum tree in transmit; zero padding, mixer,
// CIC shift, CIC, filter and gain block in receive.
double final_overall_gain(int ch);
