// pfiranalysis.h — the per-channel PFIR analysis report.
#pragma once

// Reports channel `ch`'s PFIR into the analysis file and checks its
// coefficients and the chip clock. A coefficient beyond 16 bits is an input
// error (diag's `err`): the override pass then stops the run.
void pfir_analysis(int ch);
