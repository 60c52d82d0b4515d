// pfiranalysis.h — the per-channel PFIR analysis report.
#pragma once

// Reports channel `ch`'s PFIR into the analysis file and checks its
// coefficients and the chip clock. False when a coefficient exceeds 16 bits
// (reported): an input error, after which the override pass must not run.
bool pfir_analysis(int ch);
