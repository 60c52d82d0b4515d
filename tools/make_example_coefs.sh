#!/bin/sh
# Regenerates the coefficient files of examples/ and their .design files:
#   cmake --build build --target example_coefs
# or by hand: tools/make_example_coefs.sh build/gen_lowpass examples
#
# Each line is one design: the rate the filter runs at and the band edges,
# all in MHz for the clock and rates of the examples that use it.
set -eu
gen=$1
out=$2

# Receive channel filter after a CIC decimating by 8 from a 100 MHz clock
# (12.5 MHz in), decimating by 2 to 6.25 MHz complex: flat to 2.5 MHz, and
# stopped from the output Nyquist frequency on.
"$gen" --taps 127 --rate 12.5 --pass 2.5 --stop 3.125 "$out/rx127.coef"

# Transmit interpolating filter, 3.125 MHz complex in, interpolating by 4 to
# 12.5 MHz before a CIC interpolating by 8 to 100 MHz: the images of the
# interpolation start at 3.125 - 1.2 MHz.
"$gen" --taps 128 --rate 12.5 --pass 1.2 --stop 1.9 "$out/tx128x4.coef"

# Split-I/Q transmit filter, one component at 12.5 MHz in, interpolating by 2
# to 25 MHz before a CIC interpolating by 4 to 100 MHz.
"$gen" --taps 128 --rate 25 --pass 5 --stop 7.5 "$out/tx128x2.coef"

# Double-rate receive filter: 200 MHz input split over a channel pair, a CIC
# decimating by 4 (50 MHz per component into the filter), decimating by 2 to
# 25 MHz complex.
"$gen" --taps 63 --rate 50 --pass 8 --stop 12.5 "$out/dr63.coef"

# A small half-band filter (rates normalised to 1): every other tap is zero.
"$gen" --taps 21 --rate 1 --pass 0.2 --stop 0.3 "$out/halfband21.coef"
