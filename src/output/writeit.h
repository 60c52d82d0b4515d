// writeit.h — the table, simulation, board-loader and header output files.
#pragma once

// Forgets the board-loader's selected page and the header's entry count (a
// fresh program state).
void reset_writeit();

// Writes every output that the control file asked for.
void writeall();
