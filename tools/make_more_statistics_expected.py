#!/usr/bin/env python3
"""Writes tests/unit/more_statistics_expected.inc: the expected values of the
additional statistics for fixed samples, computed independently with SciPy
(python3-scipy) and by brute force. Re-run after changing a sample:
    python3 tools/make_more_statistics_expected.py
"""
import itertools
import math
import os

import numpy as np
from scipy import optimize, stats

OUT = os.path.join(os.path.dirname(__file__), "..", "tests", "unit", "more_statistics_expected.inc")

rng = np.random.default_rng(20240526)
SAMPLES = [
    [0.7, -1.6, -0.2, -1.2, -0.1, 3.4, 3.7, 0.8, 0.0, 2.0],          # 0 untied
    [1.9, 0.8, 1.1, 0.1, -0.1, 4.4, 5.5, 1.6, 4.6, 3.4],             # 1 untied
    [3.1, 2.2, 4.8, 1.7, 3.3, 2.9, 5.2],                             # 2 untied, small
    [1.0, 2.0, 2.0, 3.0, 3.0, 3.0, 5.0, 8.0],                        # 3 tied
    [2.0, 3.0, 3.0, 4.0, 6.0, 6.0, 7.0],                             # 4 tied
    list(np.round(rng.normal(10, 2, 40), 1)),                        # 5 tied, 40
    list(np.round(rng.normal(11, 3, 35), 1)),                        # 6 tied, 35
    list(np.round(rng.lognormal(1, 0.5, 300), 2)),                   # 7 large
    list(np.round(rng.lognormal(1.1, 0.6, 260), 2)),                 # 8 large
    [float(v) for v in rng.permutation(np.arange(1, 31))],           # 9 untied 30
    list(np.round(rng.normal(0.4, 1, 45), 3)),                       # 10 untied? differences
    list(np.round(rng.normal(0.3, 1, 80), 1)),                       # 11 tied, 80
]

def c(v):
    if v is None or (isinstance(v, float) and not math.isfinite(v)):
        return "NA"
    return repr(float(v))

def ranksum_abs_stat(x, y, axis=-1):
    pooled = np.concatenate([x, y], axis=axis)
    r = stats.rankdata(pooled, axis=axis)
    n = x.shape[axis]
    s = np.take(r, range(n), axis=axis).sum(axis=axis)
    return np.abs(s - n * (pooled.shape[axis] + 1) / 2)

def mw_exact_ties_p(x, y):
    res = stats.permutation_test((np.array(x), np.array(y)), ranksum_abs_stat, permutation_type="independent",
                                 alternative="greater", n_resamples=np.inf, vectorized=True)
    return res.pvalue

def hl_normal_interval(x, y):
    """Shifts whose tie-corrected, continuity-corrected z lies within 1.96, by scanning the differences."""
    x, y = np.sort(x), np.sort(y)
    diffs = np.sort(np.subtract.outer(y, x).ravel())
    n0, n1 = len(x), len(y)
    n = n0 + n1
    def ties(v):
        _, counts = np.unique(v, return_counts=True)
        return float((counts ** 3 - counts).sum())
    sigma = math.sqrt(n0 * n1 / 12 * ((n + 1) - (ties(x) + ties(y)) / (n * (n - 1))))
    # U(d) = number of differences above d between two differences.
    inside = []
    for j in range(len(diffs) - 1):
        if diffs[j] == diffs[j + 1]:
            continue
        u = len(diffs) - (j + 1)
        if abs(u - n0 * n1 / 2) - 0.5 <= 1.96 * sigma:
            inside.append(j)
    if not inside:
        return None, None
    lo = diffs[min(inside)] if min(inside) > 0 or abs(len(diffs) - n0 * n1 / 2) - 0.5 > 1.96 * sigma else None
    hi = diffs[max(inside) + 1]
    return lo, hi

def nct_limits(t, df):
    f = lambda ncp, q: stats.nct.cdf(t, df, ncp) - q
    span = 10 + abs(t) * 2
    return (optimize.brentq(f, t - span, t + span, args=(0.975,), xtol=1e-13),
            optimize.brentq(f, t - span, t + span, args=(0.025,), xtol=1e-13))

def two_sample(i, j):
    x, y = np.array(SAMPLES[i]), np.array(SAMPLES[j])
    n0, n1 = len(x), len(y)
    w = stats.ttest_ind(y, x, equal_var=False)
    v0, v1 = x.var(ddof=1) / n0, y.var(ddof=1) / n1
    df = (v0 + v1) ** 2 / (v0 ** 2 / (n0 - 1) + v1 ** 2 / (n1 - 1))
    q = stats.t.ppf(0.975, df)
    d = y.mean() - x.mean()
    se = math.sqrt(v0 + v1)
    sp = math.sqrt(((n0 - 1) * x.var(ddof=1) + (n1 - 1) * y.var(ddof=1)) / (n0 + n1 - 2))
    j_corr = 1 - 3 / (4 * (n0 + n1) - 9)
    scale = math.sqrt(1 / n0 + 1 / n1)
    lo_ncp, hi_ncp = nct_limits(d / sp / scale, n0 + n1 - 2)
    u = stats.mannwhitneyu(y, x, method="asymptotic").statistic
    tied = len(np.unique(np.concatenate([x, y]))) < n0 + n1
    if n0 + n1 <= 50:
        p = mw_exact_ties_p(x, y) if tied else stats.mannwhitneyu(y, x, method="exact").pvalue
        method = 1 if tied else 0
    else:
        p = stats.mannwhitneyu(y, x, method="asymptotic", use_continuity=True).pvalue
        method = 2
    hl = float(np.median(np.subtract.outer(y, x)))
    lo, hi = hl_normal_interval(x, y) if (tied or n0 + n1 > 50) else (None, None)
    return [i, j, w.statistic, df, w.pvalue, d - q * se, d + q * se, j_corr * d / sp, j_corr * lo_ncp * scale,
            j_corr * hi_ncp * scale, u, p, method, hl, lo, hi]

def sign_flip_abs_stat(x, y, axis=-1):
    d = x - y
    r = stats.rankdata(np.abs(d), axis=axis)
    v = (r * (d > 0)).sum(axis=axis)
    return np.abs(v - r.sum(axis=axis) / 2)

def one_sample(i):
    d = np.array(SAMPLES[i])
    d = d[d != 0]
    n = len(d)
    tied = len(np.unique(np.abs(d))) < n
    r = stats.rankdata(np.abs(d))
    v = float((r * (d > 0)).sum())
    if n <= 50:
        if tied:
            p = stats.permutation_test((d, np.zeros(n)), sign_flip_abs_stat, permutation_type="samples",
                                       alternative="greater", n_resamples=np.inf,
                                       vectorized=True, random_state=1).pvalue
        else:
            p = stats.wilcoxon(d, method="exact").pvalue
        method = 1 if tied else 0
    else:
        p = stats.wilcoxon(d, correction=True, method="approx").pvalue
        method = 2
    walsh = [(d[a] + d[b]) / 2 for a in range(n) for b in range(a, n)]
    full = np.array(SAMPLES[i])
    m, s = full.mean(), full.std(ddof=1)
    lo_ncp, hi_ncp = nct_limits(m / s * math.sqrt(len(full)), len(full) - 1)
    sw = stats.shapiro(full) if len(full) >= 3 else (None, None)
    return [i, v, p, method, float(np.median(walsh)), m / s, lo_ncp / math.sqrt(len(full)),
            hi_ncp / math.sqrt(len(full)), sw[0], sw[1]]

def kendall(i, j):
    x, y = np.array(SAMPLES[i]), np.array(SAMPLES[j])
    n = min(len(x), len(y))
    x, y = x[:n], y[:n]
    tied = len(np.unique(x)) < n or len(np.unique(y)) < n
    exact = not tied and n <= 50
    res = stats.kendalltau(x, y, method="exact" if exact else "asymptotic")
    return [i, j, n, res.statistic, res.pvalue, 1 if exact else 0]

def adjust(p):
    p = np.array(p)
    m = len(p)
    order = np.argsort(p, kind="stable")
    holm = np.empty(m)
    run = 0
    for k, idx in enumerate(order):
        run = max(run, min(1, (m - k) * p[idx]))
        holm[idx] = run
    bh = np.empty(m)
    run = 1
    for k in range(m - 1, -1, -1):
        idx = order[k]
        run = min(run, min(1, m * p[idx] / (k + 1)))
        bh[idx] = run
    return list(p) + list(holm) + list(bh)

def median_rank(n):
    k = 0
    while k < n and stats.binom.cdf(k, n, 0.5) <= 0.025:
        k += 1
    return [n, k]

def main():
    lines = ["// Generated by tools/make_more_statistics_expected.py; do not edit.", ""]
    lines.append("// A sample per entry; entries are referred to by index.")
    lines.append("const std::vector<double> SAMPLES[] = {")
    for s in SAMPLES:
        lines.append("    {" + ", ".join(c(v) for v in s) + "},")
    lines.append("};")
    lines.append("")
    lines.append("// x sample, y sample (differences y - x): Welch t, df, p, low, high; Hedges g, low, high;")
    lines.append("// Mann-Whitney U, p, method (0 exact, 1 exact with ties, 2 normal); HL shift, normal HL low, high.")
    lines.append("const TwoSampleCase TWO_SAMPLE_CASES[] = {")
    for i, j in [(0, 1), (2, 0), (3, 4), (5, 6), (7, 8), (9, 2), (3, 2)]:
        row = two_sample(i, j)
        lines.append("    {" + ", ".join([str(row[0]), str(row[1])] + [c(v) for v in row[2:12]] + [str(row[12])] +
                                         [c(v) for v in row[13:]]) + "},")
    lines.append("};")
    lines.append("")
    lines.append("// sample (zeros dropped for the rank statistics): signed-rank V, p, method; HL of Walsh averages;")
    lines.append("// Cohen dz, low, high (all values); Shapiro-Wilk W, p (all values).")
    lines.append("const OneSampleCase ONE_SAMPLE_CASES[] = {")
    for i in [0, 1, 2, 3, 4, 10, 11, 7]:
        row = one_sample(i)
        lines.append("    {" + ", ".join([str(row[0]), c(row[1]), c(row[2]), str(row[3])] + [c(v) for v in row[4:]]) + "},")
    lines.append("};")
    lines.append("")
    lines.append("// x sample, y sample, pairs (the first n of each): Kendall tau-b, p, exact (1) or normal (0).")
    lines.append("const KendallCase KENDALL_CASES[] = {")
    for i, j in [(0, 1), (9, 10), (3, 4), (5, 6), (7, 8), (2, 9)]:
        row = kendall(i, j)
        lines.append("    {" + ", ".join([str(row[0]), str(row[1]), str(row[2]), c(row[3]), c(row[4]), str(row[5])]) + "},")
    lines.append("};")
    lines.append("")
    lines.append("// p values, then their Holm and their Benjamini-Hochberg adjustments, entry by entry.")
    lines.append("const std::vector<double> ADJUSTMENT_CASES[] = {")
    for p in [[0.01, 0.04, 0.03, 0.2], [0.5, 0.001, 0.0004, 0.04, 0.04, 0.9]]:
        lines.append("    {" + ", ".join(c(v) for v in adjust(p)) + "},")
    lines.append("};")
    lines.append("")
    lines.append("// n, the order statistic k of the 95% median interval [x_(k), x_(n+1-k)] (0: none).")
    lines.append("const int MEDIAN_RANKS[][2] = {")
    for n in [5, 6, 9, 17, 50, 333, 1024]:
        lines.append("    {%d, %d}," % tuple(median_rank(n)))
    lines.append("};")
    with open(OUT, "w") as f:
        f.write("\n".join(lines) + "\n")

if __name__ == "__main__":
    main()
