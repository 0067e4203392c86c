// Exact null distributions of the rank sum, the signed-rank sum and
// Kendall's discordant count, by dynamic programming. The conditional
// (permutation) distribution given the mid-ranks is the classical one for
// tied data: E. L. Lehmann, Nonparametrics: Statistical Methods Based on
// Ranks (1975), chapters 1 to 4; the Mahonian recurrence for inversions is
// in M. G. Kendall, Rank Correlation Methods (4th ed., 1970), chapter 4.
#include "stats/rank_distributions.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Largest sum of doubled ranks: 2 (1 + ... + 50).
constexpr int MAX_SUM2 = EXACT_RANK_MAX_N * (EXACT_RANK_MAX_N + 1);
constexpr int MAX_MEMBERS = EXACT_RANK_MAX_N / 2;

// ways[j][s]: the number of sets of j ranks whose doubled sum is s.
double ways[MAX_MEMBERS + 1][MAX_SUM2 + 1];
// sign_ways[s]: the number of sign patterns whose positive doubled sum is s.
double sign_ways[MAX_SUM2 + 1];
// Probabilities of 0..1225 inversions, and the next row.
constexpr int MAX_INVERSIONS = EXACT_RANK_MAX_N * (EXACT_RANK_MAX_N - 1) / 2;
double inversions[MAX_INVERSIONS + 1];
double inversions_next[MAX_INVERSIONS + 1];

bool valid_ranks(const int* ranks2, int n) {
    for (int i = 0; i < n; ++i)
        if (ranks2[i] < 2 || ranks2[i] > 2 * n) return false;
    return true;
}

// Fills ways[0..m][0..total] for the ranks; returns the total doubled sum.
int count_rank_sums(const int* ranks2, int n, int m) {
    int total = 0;
    for (int i = 0; i < n; ++i) total += ranks2[i];
    for (int j = 0; j <= m; ++j) std::memset(ways[j], 0, sizeof(double) * static_cast<unsigned>(total + 1));
    ways[0][0] = 1;
    int reach = 0;  // the largest sum reached so far
    for (int i = 0; i < n; ++i) {
        const int r = ranks2[i];
        reach += r;
        const int top = i + 1 < m ? i + 1 : m;
        for (int j = top; j >= 1; --j) {
            const double* from = ways[j - 1];
            double* to = ways[j];
            for (int s = reach; s >= r; --s) to[s] += from[s - r];
        }
    }
    return total;
}

}  // namespace

double rank_sum_exact_p(const int* ranks2, int n, int m, int observed2) {
    if (n > EXACT_RANK_MAX_N || m < 1 || m >= n || !valid_ranks(ranks2, n)) return std::nan("");
    // The smaller group is counted; the other's sum is the rest.
    int total = 0;
    for (int i = 0; i < n; ++i) total += ranks2[i];
    if (m > n - m) {
        m = n - m;
        observed2 = total - observed2;
    }
    count_rank_sums(ranks2, n, m);
    // Twice the mean of the doubled sum is m * total * 2 / n; comparing
    // n * (2 s) with 2 m total keeps everything whole.
    const long long centre = 2LL * m * total;
    const long long distance = std::llabs(2LL * n * observed2 - centre);
    double hits = 0, all = 0;
    for (int s = 0; s <= total; ++s) {
        const double w = ways[m][s];
        if (w == 0) continue;
        all += w;
        if (std::llabs(2LL * n * s - centre) >= distance) hits += w;
    }
    return hits / all;
}

int rank_sum_interval_rank(int m, int n_other) {
    const int n = m + n_other;
    if (m < 1 || n_other < 1 || n > EXACT_RANK_MAX_N) return -1;
    if (m > n_other) {
        const int t = m;
        m = n_other;
        n_other = t;
    }
    int ranks2[EXACT_RANK_MAX_N];
    for (int i = 0; i < n; ++i) ranks2[i] = 2 * (i + 1);
    const int total = count_rank_sums(ranks2, n, m);
    double all = 0;
    for (int s = 0; s <= total; ++s) all += ways[m][s];
    // U = S - m (m + 1) / 2, and S = s / 2.
    const int base = m * (m + 1);
    double below = 0;
    int u = 0;
    for (;; ++u) {
        const int s = base + 2 * u;
        if (s > total) break;
        below += ways[m][s];
        if (below / all > 0.025) break;
    }
    return u;  // P(U <= u - 1) <= 0.025 < P(U <= u)
}

double signed_rank_exact_p(const int* ranks2, int n, int observed2) {
    if (n < 1 || n > EXACT_RANK_MAX_N || !valid_ranks(ranks2, n)) return std::nan("");
    int total = 0;
    for (int i = 0; i < n; ++i) total += ranks2[i];
    std::memset(sign_ways, 0, sizeof(double) * static_cast<unsigned>(total + 1));
    sign_ways[0] = 1;
    int reach = 0;
    for (int i = 0; i < n; ++i) {
        const int r = ranks2[i];
        reach += r;
        for (int s = reach; s >= r; --s) sign_ways[s] += sign_ways[s - r];
    }
    // E of the doubled sum is total / 2: compare |2 s - total|.
    const long long distance = std::llabs(2LL * observed2 - total);
    double hits = 0;
    for (int s = 0; s <= total; ++s)
        if (std::llabs(2LL * s - total) >= distance) hits += sign_ways[s];
    return std::ldexp(hits, -n);
}

int signed_rank_interval_rank(int n) {
    if (n < 1 || n > EXACT_RANK_MAX_N) return -1;
    const int total = n * (n + 1);
    std::memset(sign_ways, 0, sizeof(double) * static_cast<unsigned>(total + 1));
    sign_ways[0] = 1;
    int reach = 0;
    for (int i = 1; i <= n; ++i) {
        reach += 2 * i;
        for (int s = reach; s >= 2 * i; --s) sign_ways[s] += sign_ways[s - 2 * i];
    }
    double below = 0;
    int v = 0;
    for (; 2 * v <= total; ++v) {
        below += sign_ways[2 * v];
        if (std::ldexp(below, -n) > 0.025) break;
    }
    return v;
}

double kendall_exact_p(int n, long long discordant) {
    const long long all_pairs = static_cast<long long>(n) * (n - 1) / 2;
    if (n < 2 || n > EXACT_RANK_MAX_N || discordant < 0 || discordant > all_pairs) return std::nan("");
    // Inserting the i-th element adds 0..i-1 inversions, each with 1 / i.
    int top = 0;
    inversions[0] = 1;
    for (int i = 2; i <= n; ++i) {
        const int next_top = top + i - 1;
        double window = 0;
        for (int k = 0; k <= next_top; ++k) {
            if (k <= top) window += inversions[k];
            if (k - i >= 0) window -= inversions[k - i];
            inversions_next[k] = window / i;
        }
        std::memcpy(inversions, inversions_next, sizeof(double) * static_cast<unsigned>(next_top + 1));
        top = next_top;
    }
    // The distribution is symmetric about all_pairs / 2.
    const long long tail = discordant < all_pairs - discordant ? discordant : all_pairs - discordant;
    double p = 0;
    for (long long k = 0; k <= tail; ++k) p += inversions[k];
    p *= 2;
    return p < 1 ? p : 1;
}
