// pfiranalysis.h — the per-channel PFIR analysis report.
#pragma once
void pfir_analysis(int ch);
