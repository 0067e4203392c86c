#!/usr/bin/env python3
"""Morvenda side by side with R, the tool a user would reach for instead,
on the full-size benchmark worksheets, measured in the same session.

    python3 bench/compare_r.py [--binary build/morvenda] [--bench build/bench/morvenda_bench]
                               [--runs 21] [--r-runs 5]

R (Debian's r-base-core) is a tool of this benchmark only: neither the
build nor the tests need it. Without Rscript the comparison is skipped and
says so.

For each analysis, with Extra output:
  - Morvenda in process: the analysis stage of morvenda_bench, and the
    start-up (reading the worksheet, ordering, summaries) plus that stage,
    medians of the benchmark's repetitions;
  - Morvenda as a whole process: `morvenda -a ANALYSIS -x SHEET`, median
    wall time of --runs runs;
  - R in process: the same statistics by R's functions (bench/compare_r.R:
    quantile, t.test, wilcox.test, cor, cor.test, rank) on the worksheet's
    table already read, median of --runs repetitions;
  - R as a whole process: Rscript reading the table and computing one
    analysis, median of --r-runs runs.
R reads the cells beyond a measuring limit as missing (it has no notion of
them) and the text labels as missing, as Morvenda does.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True
sys.path.insert(0, HERE)
import make_worksheets  # noqa: E402
from stage_table import run_round, spread  # noqa: E402

ANALYSES = ["descriptive", "paired", "nonpaired", "pearson", "spearman", "ranks"]


def write_table(path, name, rows, columns, groups):
    """The worksheet as R reads it: numbers as they are, every other cell NA."""
    sheet = make_worksheets.make_sheet(name, rows, columns, groups)
    with open(path, "w") as f:
        f.write("\t".join("c%d" % (c + 1) for c in range(columns)) + "\n")
        for row in sheet:
            f.write("\t".join(repr(float(v)) if isinstance(v, (int, float)) else "NA" for v in row) + "\n")


def median_iqr(values):
    return statistics.median(values), spread(values)


def wall_ms(argv):
    with open(os.devnull, "wb") as null:
        start = time.perf_counter()
        subprocess.run(argv, stdout=null, stderr=null, check=True)
        return (time.perf_counter() - start) * 1000


def bench_medians(path):
    """Medians of the full-size stages of morvenda_bench (wall time), in ms."""
    times = run_round(path, 15, "start_up/full$|analysis/.*/full/extra$", "real_time")
    return {name: statistics.median(values) for name, values in times.items()}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--binary", default=os.path.join(HERE, "..", "build", "morvenda"))
    parser.add_argument("--bench", default=os.path.join(HERE, "..", "build", "bench", "morvenda_bench"))
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--r-runs", type=int, default=5)
    args = parser.parse_args()

    rscript = shutil.which("Rscript")
    if rscript is None:
        print("Rscript not found: the comparison with R is skipped (R, Debian's r-base-core, is needed "
              "for this benchmark only)")
        return 0
    version = subprocess.run([rscript, "--version"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             text=True).stdout.strip().splitlines()[0]

    with tempfile.TemporaryDirectory() as scratch:
        subprocess.run([sys.executable, os.path.join(HERE, "make_worksheets.py"), scratch], check=True)
        rows, columns = make_worksheets.SIZES["full"]
        table = os.path.join(scratch, "full.tsv")
        grouped = os.path.join(scratch, "full_groups.tsv")
        write_table(table, "full", rows, columns, False)
        write_table(grouped, "full_groups", rows, columns, True)
        r_script = os.path.join(HERE, "compare_r.R")

        # R in process: every analysis, median of the repetitions.
        out = subprocess.run([rscript, r_script, table, grouped, str(args.runs)], stdout=subprocess.PIPE,
                             text=True, check=True).stdout
        r_in_process = {line.split()[0]: (float(line.split()[1]), float(line.split()[2]))
                        for line in out.splitlines() if line.strip()}

        staged = bench_medians(args.bench) if os.access(args.bench, os.X_OK) else {}
        start_up = staged.get("start_up/full")

        print("Machine: %s; load average %s; %s" % (os.uname().machine, " ".join(
            "%.2f" % v for v in os.getloadavg()), version))
        print()
        print("| Analysis (1024 x 50, Extra output) | Morvenda stage in process | Morvenda start-up + stage "
              "| Morvenda whole process [IQR] | R in process [IQR] | R whole process (Rscript) [IQR] |")
        print("|---|---:|---:|---:|---:|---:|")
        for analysis in ANALYSES:
            sheet = os.path.join(scratch, "full_groups.wk1" if analysis == "nonpaired" else "full.wk1")
            argv = [os.path.abspath(args.binary), "-a", analysis, "-x", sheet]
            for _ in range(2):
                wall_ms(argv)
            ours = median_iqr([wall_ms(argv) for _ in range(args.runs)])
            r_argv = [rscript, r_script, table, grouped, "0", analysis]
            theirs = median_iqr([wall_ms(r_argv) for _ in range(args.r_runs)])
            stage = staged.get("analysis/%s/full/extra" % analysis)
            stage_text = "%.2f" % stage if stage is not None else "-"
            both_text = "%.2f" % (stage + start_up) if stage is not None and start_up is not None else "-"
            median, iqr = r_in_process[analysis]
            print("| %s | %s | %s | %.1f [%.1f] | %.1f [%.1f] | %.0f [%.0f] |" %
                  (analysis, stage_text, both_text, ours[0], ours[1], median, iqr, theirs[0], theirs[1]), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
