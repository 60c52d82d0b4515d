// writeit.h — the table, simulation, board-loader and header output files.
#pragma once
void writeall();
