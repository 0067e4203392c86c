#!/usr/bin/python3
"""Writes the expected Kaplan-Meier/Turnbull centiles and ROS estimates of
columns of censored cells (stats/kaplan_meier.h, stats/ros.h) to
tests/unit/data/censored_estimates.txt, read by
tests/unit/test_censored_estimates.cpp.

The centiles are R's: survival::survfit and its quantile() (Debian's
r-base-core and r-cran-survival), run once here; R is not needed to build or
test. A column with only ">" cells censored is Surv(v, measured), one with
only "<" cells Surv(M - v, measured) with M = largest value + 1 and the
centiles flipped back (the 25 centile is M minus the flipped 75 centile),
one with both Surv(L, R, type = "interval2") with "<x" as (NA, x), ">x" as
(x, NA) and a measured x as (x, x).

With both sides survfit takes Turnbull's estimate from its own
self-consistency loop (survival:::survfitTurnbull), which stops once the
survival changes by less than 5e-5 between iterations. That is short of
convergence: where the converged curve lies flat at exactly 1/2 (or 1/4,
3/4) it may still sit just off that level, and the centile is then a
step's time instead of the midpoint of the flat piece. Column "Repeat" of
tests/cli/data/limits.tsv shows it: stopped there, the survival is
0.5000003 at 4.2 and the median 6.35; converged, the survival is 1/2 from
4.2 to 8.1 and the median 6.15. The estimate of stats/kaplan_meier.h is
the converged one, so the script runs R's loop unchanged but for its
stopping rule: it goes on until the survival changes by less than 1e-12
(and fails after 100000 iterations).

ROS is computed here independently (Hirsch-Stedinger plotting positions,
least squares of ln value on normal scores, SciPy for the normal quantile).

  /usr/bin/python3 tools/generate_censored_estimates.py          write
  /usr/bin/python3 tools/generate_censored_estimates.py --check  exit 1 if it differs
"""

import math
import os
import random
import statistics
import subprocess
import sys

from scipy.stats import norm

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from generate_censored_expectations import parse, write_or_check  # noqa: E402

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(TOP, "tests", "unit", "data", "censored_estimates.txt")

R_SCRIPT = r"""
suppressMessages(library(survival))
turnbull <- deparse(survival:::survfitTurnbull)
stopping <- grep("while (eps > 5e-05) {", turnbull, fixed = TRUE)
stopifnot(length(stopping) == 1)
turnbull[stopping] <- paste("while (eps > 1e-12) {",
  "if (iter >= 100000) stop(\"Turnbull's iteration did not converge\")")
turnbull <- eval(parse(text = turnbull))
environment(turnbull) <- asNamespace("survival")
assignInNamespace("survfitTurnbull", turnbull, "survival")
con <- file("stdin"); lines <- readLines(con); close(con)
for (line in lines) {
  words <- strsplit(line, " ")[[1]]
  side <- ifelse(substr(words, 1, 1) == "<", -1, ifelse(substr(words, 1, 1) == ">", 1, 0))
  v <- as.numeric(ifelse(side == 0, words, substring(words, 2)))
  probs <- c(0.25, 0.5, 0.75)
  if (any(side < 0) && any(side > 0)) {
    fit <- survfit(Surv(ifelse(side < 0, NA, v), ifelse(side > 0, NA, v), type = "interval2") ~ 1)
    q <- quantile(fit, probs, conf.int = FALSE)
  } else if (any(side < 0)) {
    m <- max(v) + 1
    fit <- survfit(Surv(m - v, as.numeric(side == 0)) ~ 1)
    q <- m - rev(quantile(fit, probs, conf.int = FALSE))
  } else {
    fit <- survfit(Surv(v, as.numeric(side == 0)) ~ 1)
    q <- quantile(fit, probs, conf.int = FALSE)
  }
  cat(formatC(q, digits = 17, format = "g"), "\n")
}
"""


def survfit_centiles(columns):
    text = "".join(" ".join(cells) + "\n" for cells in columns)
    out = subprocess.run(["Rscript", "-e", R_SCRIPT], input=text, capture_output=True, text=True, check=True)
    rows = [line.split() for line in out.stdout.splitlines()]
    assert len(rows) == len(columns)
    return [[math.nan if x == "NA" else float(x) for x in row] for row in rows]


def ros(cells):
    """(mean, sd, median) by robust ROS, lognormal; NaN where it does not apply."""
    nan = (math.nan, math.nan, math.nan)
    sides = {s for s, _ in cells}
    if sides == {0}:
        values = [v for _, v in cells]
        sd = statistics.stdev(values) if len(values) > 1 else math.nan
        return statistics.mean(values), sd, statistics.median(values)
    if -1 in sides and 1 in sides:
        return nan
    reciprocal = 1 in sides
    if reciprocal:
        if any(v <= 0 for _, v in cells):
            return nan
        cells = [(-1 if s > 0 else 0, 1 / v) for s, v in cells]
    detects = sorted(v for s, v in cells if s == 0)
    limits = sorted({v for s, v in cells if s < 0})
    if len(detects) < 3 or detects[0] <= 0 or limits[0] <= 0:
        return nan
    # Exceedance probabilities, from the largest limit down.
    pe = [0.0] * (len(limits) + 1)
    for j in reversed(range(len(limits))):
        upper = limits[j + 1] if j + 1 < len(limits) else math.inf
        a = len([d for d in detects if limits[j] <= d < upper])
        b = len([d for d in detects if d < limits[j]]) + len([1 for s, v in cells if s < 0 and v <= limits[j]])
        pe[j] = pe[j + 1] + a / (a + b) * (1 - pe[j + 1])
    positions = []  # (position, measured value or None)
    below_first = [d for d in detects if d < limits[0]]
    positions += [((1 - pe[0]) * r / (len(below_first) + 1), d) for r, d in enumerate(below_first, 1)]
    for j, limit in enumerate(limits):
        upper = limits[j + 1] if j + 1 < len(limits) else math.inf
        inside = [d for d in detects if limit <= d < upper]
        positions += [((1 - pe[j]) + (pe[j] - pe[j + 1]) * r / (len(inside) + 1), d) for r, d in enumerate(inside, 1)]
        censored = len([1 for s, v in cells if s < 0 and v == limit])
        positions += [((1 - pe[j]) * r / (censored + 1), None) for r in range(1, censored + 1)]
    zs = [norm.ppf(p) for p, d in positions if d is not None]
    ys = [math.log(d) for p, d in positions if d is not None]
    zbar, ybar = statistics.mean(zs), statistics.mean(ys)
    slope = sum((z - zbar) * (y - ybar) for z, y in zip(zs, ys)) / sum((z - zbar) ** 2 for z in zs)
    intercept = ybar - slope * zbar
    values = [d if d is not None else math.exp(intercept + slope * norm.ppf(p)) for p, d in positions]
    if reciprocal:
        values = [1 / v for v in values]
    return statistics.mean(values), statistics.stdev(values), statistics.median(values)


def random_column(rng, n, below, above):
    """Lognormal values rounded to 0.1; some replaced by a limit picked from
    `below` ("<") or `above` (">"), so that measured values tie with limits."""
    cells = []
    for _ in range(n):
        v = max(0.1, round(math.exp(rng.gauss(1.0, 0.8)), 1))
        r = rng.random()
        if below and r < 0.25:
            cells.append("<%g" % rng.choice(below))
        elif above and r > 0.8:
            cells.append(">%g" % rng.choice(above))
        else:
            cells.append("%g" % v)
    return cells


def main():
    rng = random.Random(19760402)
    columns = {
        # One limit, several limits, ties of measured values with limits.
        "left_one_limit": "<1 <1 2.3 1.4 <1 3.1 5.2 1.9 <1 2.8 4.4 1.1".split(),
        "left_several_limits": "<5 3 <1 7 <1 5 2.5 12 <5 1.5 8 <2 4 <2 6".split(),
        "left_ties": "<3 3 3 <3 4 5 <5 5 2 6".split(),
        "right_only": ">20 4 7.5 >20 12 3 >30 9 15 >20".split(),
        "right_ties": ">4 4 4 6 >6 8 2 >8".split(),
        # Freireich et al. (1963), the 6-MP group's weeks in remission as
        # Gehan (1965) lists them: the Kaplan-Meier median is 23 weeks.
        "six_mp": "6 6 6 >6 7 >9 10 >10 >11 13 16 >17 >19 >20 22 23 >25 >32 >32 >34 >35".split(),
        # Both sides: Turnbull.
        "both_sides": "<2 <2 3 >8 4 >8 <3 6 5 >10".split(),
        "both_sides_between": "<5 3 >4.2 8 1".split(),
        # No censored cell: the ordinary sample centiles, midpoints included.
        "none_four": "1 2 3 4".split(),
        "none_ties": "3 1 4 1 5 9 2 6 5 3".split(),
        # Centiles not reached.
        "right_not_reached": "1 2 >3 >4 >5".split(),
        "left_not_reached": "<4 <4 <4 5 6".split(),
        "right_median_last": "1 2 >3 >4".split(),
    }
    for k in range(3):
        columns["random_left%d" % k] = random_column(rng, 30 + 20 * k, [0.5, 1, 2, 3], [])
        columns["random_right%d" % k] = random_column(rng, 30 + 20 * k, [], [4, 6, 10])
        columns["random_both%d" % k] = random_column(rng, 30 + 20 * k, [0.5, 1], [6, 10])
    ros_columns = dict(columns)
    ros_columns["ros_two_measured"] = "<1 <1 2 3".split()
    ros_columns["ros_zero_measured"] = "<1 0 2 3 4".split()
    # Both sides where survfit's own stopping rule would leave a flat piece
    # off its level: column "Repeat" of tests/cli/data/limits.tsv (median
    # 6.35 stopped, 6.15 converged) and two more (median 4.175 against 4.15;
    # 75 centile 3 against 5.5). ROS does not apply to them.
    columns["limits_repeat"] = "4.2 2.9 <1 8.1 >1000 11 <5 25 3.3 58 2.2 >1000".split()
    columns["both_sides_flat_median"] = "5.4 2.9 >4 <3".split()
    columns["both_sides_flat_75"] = "<9 1 <3 >7 3".split()

    lines = []
    lines.append("# Generated by tools/generate_censored_estimates.py; do not edit.")
    lines.append("# Cells are written as in a worksheet (\"<5\" below 5, \">20\" above 20) and separated by")
    lines.append("# spaces; numbers have 17 significant digits, nan where the statistic is \"#n/a\".")
    lines.append("# km NAME CELLS P25 MEDIAN P75: the column's 25 centile, median and 75 centile as R's")
    lines.append("# survival::survfit gives them (Kaplan-Meier, Turnbull with both sides, its iteration run on")
    lines.append("# to convergence)")
    names = list(columns)
    for name, q in zip(names, survfit_centiles([columns[k] for k in names])):
        lines.append("\t".join(["km", name, " ".join(columns[name])] + ["%.17g" % v for v in q]))
    lines.append("# ros NAME CELLS MEAN SD MEDIAN: robust ROS (lognormal) mean, SD (n - 1) and median")
    for name, cells in ros_columns.items():
        lines.append("\t".join(["ros", name, " ".join(cells)] + ["%.17g" % v for v in ros([parse(c) for c in cells])]))

    write_or_check(OUT, "\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
