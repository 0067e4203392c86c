#!/usr/bin/env python3
"""Runs the stage benchmarks (the program morvenda_bench of the `bench`
target) and prints a Markdown table of medians: CPU time per stage and
worksheet size, in milliseconds, each with its spread (the interquartile
range of all repetitions, after the median in brackets) with --spread.

    python3 bench/stage_table.py [--bench [LABEL=]PATH]... [--rounds 3]
                                 [--repetitions 5] [--filter REGEX]

Several programs (say before and after a change) run in turn, round by
round, so that they share the machine's moods; each program's median is
over all repetitions of all rounds.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
from collections import defaultdict

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = ["small", "medium", "full"]


def shown(ms):
    if ms >= 100:
        return "%.0f" % ms
    if ms >= 1:
        return "%.2f" % ms
    return "%.3g" % ms


# The literal ranking beside the work it stands for: (name, literal, fast).
RATIOS = [
    ("ranking of every column, literal / all column summaries", "literal_ranking", "summarize_columns"),
    ("Spearman pair ranks, literal / ordered and summarised", "spearman_literal_pairs", "spearman_summarized_pairs"),
    ("Spearman pair ranks, literal / the whole Spearman analysis", "spearman_literal_pairs",
     "analysis/spearman/extra"),
]


def spread(values):
    """The interquartile range of the values."""
    if len(values) < 4:
        return 0.0
    q = statistics.quantiles(values, n=4)
    return q[2] - q[0]


def shown_with_spread(values, with_spread):
    text = shown(statistics.median(values))
    return text + " [%s]" % shown(spread(values)) if with_spread else text


def run_round(path, repetitions, pattern, field="cpu_time"):
    result = subprocess.run([path, "--benchmark_format=json", "--benchmark_repetitions=%d" % repetitions,
                             "--benchmark_filter=" + pattern],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, check=True)
    times = defaultdict(list)
    for entry in json.loads(result.stdout)["benchmarks"]:
        if entry.get("run_type") != "iteration" or entry.get("error_occurred"):
            continue
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry["time_unit"]]
        times[entry["run_name"]].append(entry[field] * scale)
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bench", action="append", help="[LABEL=]PATH of morvenda_bench; repeatable")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--filter", default=".")
    parser.add_argument("--spread", action="store_true", help="add the interquartile range to each median")
    args = parser.parse_args()

    programs = []
    for given in args.bench or [os.path.join(HERE, "..", "build", "bench", "morvenda_bench")]:
        label, _, path = given.rpartition("=")
        programs.append((label or "median", os.path.abspath(path)))

    times = [defaultdict(list) for _ in programs]
    for _ in range(args.rounds):
        for k, (_, path) in enumerate(programs):
            for name, values in run_round(path, args.repetitions, args.filter).items():
                times[k][name].extend(values)

    # Rows: the benchmark name without its size; columns: size by program.
    stages = []
    for name in times[-1]:
        parts = name.split("/")
        size = next((p for p in parts if p in SIZES), None)
        stage = "/".join(p for p in parts if p != size)
        if stage not in stages:
            stages.append(stage)
    header = "| Stage |" + "".join(" %s %s |" % (size, label) for size in SIZES for label, _ in programs)
    print(header)
    print("|---|" + "---:|" * (len(SIZES) * len(programs)))
    for stage in stages:
        row = "| %s |" % stage
        for size in SIZES:
            for k in range(len(programs)):
                parts = stage.split("/")
                name = "/".join(parts[:2] + [size] + parts[2:]) if parts[0] == "analysis" else stage + "/" + size
                values = times[k].get(name)
                row += " %s |" % (shown_with_spread(values, args.spread) if values else "")
        print(row, flush=True)

    def median(k, stage, size):
        parts = stage.split("/")
        name = "/".join(parts[:2] + [size] + parts[2:]) if parts[0] == "analysis" else stage + "/" + size
        values = times[k].get(name)
        return statistics.median(values) if values else None

    print()
    print("| Ratio (same run) |" + "".join(" %s %s |" % (size, label) for size in SIZES for label, _ in programs))
    print("|---|" + "---:|" * (len(SIZES) * len(programs)))
    for title, literal, fast in RATIOS:
        row = "| %s |" % title
        for size in SIZES:
            for k in range(len(programs)):
                a, b = median(k, literal, size), median(k, fast, size)
                row += " %s |" % ("%.1f" % (a / b) if a and b else "")
        print(row)


if __name__ == "__main__":
    sys.exit(main())
