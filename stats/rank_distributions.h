// Exact null distributions of rank statistics, conditional on the ranks the
// sample has: with ties the mid-ranks are what is permuted, so the
// distributions hold for tied data as well. Each is counted by dynamic
// programming over doubled mid-ranks, which are whole numbers; the counts
// stay below 2^53 for the sizes allowed here, so they are exact in a double.
//   - rank sum of one group of a two-sample comparison: every way of
//     choosing its members among the pooled ranks is equally likely;
//   - signed-rank sum: every sign pattern of the ranked magnitudes is
//     equally likely;
//   - number of discordant pairs of an untied ranking (Kendall's statistic):
//     every permutation is equally likely (the Mahonian numbers).
// The two-sided p of a statistic S is P(|S - E S| >= |s - E S|).
#pragma once

// The largest sample an exact distribution is counted for: pooled size of
// the two groups, number of non-zero differences, or number of pairs.
constexpr int EXACT_RANK_MAX_N = 50;

// Two-sided exact p of the doubled rank sum `observed2` of a group of m
// among the n pooled doubled mid-ranks `ranks2` (each 2..2n). NaN when the
// sizes are outside 1 <= m < n <= EXACT_RANK_MAX_N.
double rank_sum_exact_p(const int* ranks2, int n, int m, int observed2);

// For untied groups of sizes m and n_other: the number of the smallest
// pairwise differences that lie below an exact two-sided 95% interval of
// the shift (k - 1 for the k-th smallest as its lower limit), that is the
// largest u with P(U <= u - 1) <= 0.025 for the Mann-Whitney count U; 0
// when even U = 0 is more likely than 0.025. -1 for sizes outside the range.
int rank_sum_interval_rank(int m, int n_other);

// Two-sided exact p of the doubled sum `observed2` of the positive ranks
// among n doubled mid-ranks `ranks2` of non-zero magnitudes. NaN when n is
// outside 1..EXACT_RANK_MAX_N.
double signed_rank_exact_p(const int* ranks2, int n, int observed2);

// For n untied non-zero differences: the largest v with P(V <= v - 1) <=
// 0.025 for the signed-rank sum V, as rank_sum_interval_rank; -1 when n is
// outside 1..EXACT_RANK_MAX_N.
int signed_rank_interval_rank(int n);

// Two-sided exact p of `discordant` discordant pairs among n untied pairs.
// NaN when n is outside 2..EXACT_RANK_MAX_N.
double kendall_exact_p(int n, long long discordant);
