#!/usr/bin/env python3
"""Times the command-line program, whole process, for every analysis on
every benchmark worksheet, and prints a Markdown table of medians.

    python3 bench/whole_process.py [--binary [LABEL=]PATH]... [--runs 31]
                                   [--worksheets DIR] [--sizes full,...] [--callgrind]

Each case runs with Extra output ("-x") and with Extra output and both log
options ("-x -l -y"); the non-paired tests read the worksheets with a
group-code first column. Per case and program: the median wall time (with
its interquartile range in brackets) and the median CPU time (user +
system) of --runs runs after two warm-up runs, the
peak resident memory of one run (GNU time's %M, Debian package time), and
with --callgrind the instructions one run executes under valgrind's
callgrind, which the machine's load does not change. Several programs (say
before and after a change) run in turn, run by run, so that they share the
machine's moods. Without --worksheets the worksheets are generated into a
temporary folder.
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True
sys.path.insert(0, HERE)
from stage_table import spread  # noqa: E402

ANALYSES = ["descriptive", "paired", "nonpaired", "pearson", "spearman", "ranks"]
SIZES = ["small", "medium", "full"]
OPTION_SETS = [("-x", ["-x"]), ("-x -l -y", ["-x", "-l", "-y"])]


def run_once(argv):
    """Wall seconds, CPU seconds and exit status of one run."""
    with open(os.devnull, "wb") as null:
        start = time.perf_counter()
        pid = os.posix_spawn(argv[0], argv, os.environ,
                             file_actions=[(os.POSIX_SPAWN_DUP2, null.fileno(), 1),
                                           (os.POSIX_SPAWN_DUP2, null.fileno(), 2)])
        _, status, usage = os.wait4(pid, 0)
        wall = time.perf_counter() - start
    return wall, usage.ru_utime + usage.ru_stime, os.waitstatus_to_exitcode(status)


def peak_rss_kib(argv):
    """Peak resident memory of one run, as GNU time reports it. (The
    ru_maxrss of a spawned child also counts this script's own pages.)"""
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True, check=False)
    lines = result.stderr.strip().splitlines()
    return int(lines[-1]) if lines and lines[-1].isdigit() else None


def instructions(argv):
    """Instructions one run executes, counted by callgrind."""
    with tempfile.TemporaryDirectory() as scratch:
        out = os.path.join(scratch, "callgrind.out")
        result = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out] + argv,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, check=False)
    found = re.search(r"refs:\s+([\d,]+)", result.stderr)
    return int(found.group(1).replace(",", "")) if found else None


def parse_binaries(given_binaries):
    binaries = []
    for given in given_binaries or [os.path.join(HERE, "..", "build", "morvenda")]:
        label, _, path = given.rpartition("=")
        path = os.path.abspath(path)
        binaries.append((label or os.path.basename(os.path.dirname(path)), path))
    return binaries


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--binary", action="append", help="[LABEL=]PATH of a morvenda program; repeatable")
    parser.add_argument("--worksheets")
    parser.add_argument("--sizes", default=",".join(SIZES))
    parser.add_argument("--runs", type=int, default=31)
    parser.add_argument("--callgrind", action="store_true")
    args = parser.parse_args()

    binaries = parse_binaries(args.binary)
    scratch = None
    sheets = args.worksheets
    if sheets is None:
        scratch = tempfile.TemporaryDirectory()
        sheets = scratch.name
        subprocess.run([sys.executable, os.path.join(HERE, "make_worksheets.py"), sheets], check=True)

    header = "| Analysis | Worksheet | Options |"
    rule = "|---|---|---|"
    for label, _ in binaries:
        header += " %s wall ms | %s CPU ms |" % (label, label)
        rule += "---:|---:|"
        if args.callgrind:
            header += " %s instructions |" % label
            rule += "---:|"
    header += " Peak RSS MiB |"
    rule += "---:|"
    print(header)
    print(rule)
    for analysis in ANALYSES:
        for size in args.sizes.split(","):
            sheet = size + ("_groups" if analysis == "nonpaired" else "")
            for label, options in OPTION_SETS:
                argvs = [[path, "-a", analysis] + options + [os.path.join(sheets, sheet + ".wk1")]
                         for _, path in binaries]
                for argv in argvs:
                    for _ in range(2):
                        run_once(argv)
                runs = [[] for _ in argvs]
                for _ in range(args.runs):
                    for k, argv in enumerate(argvs):
                        wall, cpu, status = run_once(argv)
                        if status != 0:
                            sys.exit("%s exited with status %d" % (" ".join(argv), status))
                        runs[k].append((wall, cpu))
                row = "| %s | %s | %s |" % (analysis, sheet, label)
                for k, argv in enumerate(argvs):
                    walls = [r[0] * 1000 for r in runs[k]]
                    row += " %.1f [%.1f] | %.1f |" % (statistics.median(walls), spread(walls),
                                                      statistics.median(r[1] for r in runs[k]) * 1000)
                    if args.callgrind:
                        count = instructions(argv)
                        row += " %s |" % ("{:,}".format(count) if count is not None else "?")
                rss = peak_rss_kib(argvs[-1])
                row += " %s |" % ("%.1f" % (rss / 1024) if rss else "?")
                print(row, flush=True)


if __name__ == "__main__":
    main()
