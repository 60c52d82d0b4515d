// writeit.h — the table, simulation, board-loader and header output files.
#pragma once

// The page that the board-loader writer last selected; -1 when none.
extern int page_reg;
// The number of entries written to the header file's register table.
extern int nwrites;

// Forgets the last selected page and the entry count (a fresh program state).
void reset_writeit();

// Writes every output that the control file asked for.
void writeall();
// Produces the register write sequence for the board-loader and header files.
void writehw();
// One register write in the board-loader format, selecting its page first
// when the page changes.
void write_kx330(int page, int addr, int val);
// One register write as an entry of the header file's table.
void write_hfile(int page, int addr, int val);
// Writes the simulation script.
void writesim();
