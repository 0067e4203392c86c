// p values adjusted for testing several hypotheses at once: S. Holm, "A
// simple sequentially rejective multiple test procedure", Scandinavian
// Journal of Statistics 6 (1979) 65-70, and Y. Benjamini and Y. Hochberg,
// "Controlling the false discovery rate", Journal of the Royal Statistical
// Society B 57 (1995) 289-300.
#pragma once

// Adjusts p[0..n-1] (n <= 1024) over the entries that are numbers; a NaN
// entry stays NaN in both results and does not count among the tests.
void adjust_p_values(const double* p, int n, double* holm, double* bh);
