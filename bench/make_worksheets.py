#!/usr/bin/env python3
"""Writes the benchmark worksheets as WK1 record streams.

    python3 bench/make_worksheets.py OUTPUT_DIR [--stress] [--text] [--censored]

Three sizes, each plain and with a group-code first column:
  small (20 x 3), medium (200 x 10), full (1024 x 50, the data table's
  capacity). Cells are log-normal values sharing one factor per row (so the
  columns correlate), rounded to 3 decimals (so some values tie), with 5%
  of the cells missing (mostly absent, some a text label) and, in every
  other column, the lowest and the highest 1% replaced by "<" and ">"
  labels. A group sheet's first column holds the codes 1 and 2 and its
  other columns differ between the groups.

With --stress it also writes worksheets that are no benchmark but load the
corners of the arithmetic, for comparing the outputs of two builds byte
for byte (bench/capture_outputs.sh): few distinct values (many ties, zeros
and negative values, markers of both kinds), constant columns, signed
values for the log substitutes, and a tie-heavy group sheet.

With --censored it also writes full_censored: the full sheet with about a
tenth of its numbers replaced by "<0.5", "<1", "<2", "<5", ">20" and ">50"
(seeded), for timing the estimates that keep each cell's limit.

With --text each worksheet also gets a text twin, NAME.tsv: the same cells
as tab-separated text (numbers in their shortest exact form, labels as
they are, absent cells empty), for timing and comparing the text path.

The generator is seeded per sheet, so each run writes the same bytes.
"""
import math
import os
import random
import sys

sys.dont_write_bytecode = True  # keep tools/ free of caches
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from make_examples import sheet_bytes  # noqa: E402

SIZES = {"small": (20, 3), "medium": (200, 10), "full": (1024, 50)}

MISSING_SHARE = 0.05
LABEL_SHARE_OF_MISSING = 0.2  # missing cells written as a text label


def measurement_columns(rng, rows, columns, groups):
    factor = [rng.gauss(0.0, 1.0) for _ in range(rows)]
    data = []
    for c in range(columns):
        mu = math.log(rng.uniform(5.0, 500.0))
        sigma = rng.uniform(0.3, 1.0)
        loading = rng.uniform(0.2, 0.9)
        rest = math.sqrt(1.0 - loading * loading)
        shift = rng.uniform(0.1, 0.5)
        column = []
        for r in range(rows):
            z = loading * factor[r] + rest * rng.gauss(0.0, 1.0)
            if groups is not None and groups[r] == 2:
                z += shift
            column.append(round(math.exp(mu + sigma * z), 3))
        data.append(column)
    return data


def apply_markers_and_gaps(rng, data, first_marked):
    rows = len(data[0])
    k = max(1, rows // 100)
    cells = [list(col) for col in data]
    for c, column in enumerate(data):
        if c >= first_marked and (c - first_marked) % 2 == 1:
            by_value = sorted(range(rows), key=lambda r: column[r])
            limit_low = column[by_value[k]]
            limit_high = column[by_value[rows - 1 - k]]
            for r in by_value[:k]:
                cells[c][r] = "<%g" % limit_low
            for r in by_value[rows - k:]:
                cells[c][r] = ">%g" % limit_high
        for r in range(rows):
            if rng.random() < MISSING_SHARE:
                cells[c][r] = "n.d." if rng.random() < LABEL_SHARE_OF_MISSING else None
    return cells


def make_sheet(name, rows, columns, with_groups):
    rng = random.Random("morvenda-bench-" + name)
    if with_groups:
        codes = [1 if rng.random() < 0.5 else 2 for _ in range(rows)]
        data = measurement_columns(rng, rows, columns - 1, codes)
        cells = [codes] + apply_markers_and_gaps(rng, data, 0)
    else:
        data = measurement_columns(rng, rows, columns, None)
        cells = apply_markers_and_gaps(rng, data, 0)
    return [[cells[c][r] for c in range(columns)] for r in range(rows)]


# Stress sheets: name -> (rows, columns, pool of cells, group codes first).
STRESS = {
    "stress_ties": (1024, 50, [0, 1, 2, 3, 4, 5, "<1", ">5", None, -1, 0.5], False),
    "stress_ties_small": (30, 6, [0, 1, 2, 3, "<1", ">5", None, -1], False),
    "stress_markers": (300, 12, ["<1", ">9", None, 1, 2, 3.5, 7.25, 8, "x"], False),
    "stress_ties_groups": (1024, 50, [0, 1, 2, 3, "<1", ">3", None, 0.25], True),
}


def stress_sheets():
    rng = random.Random("morvenda-bench-stress")
    for name, (rows, columns, pool, with_groups) in STRESS.items():
        sheet = [[rng.choice(pool) for _ in range(columns)] for _ in range(rows)]
        if with_groups:
            for row in sheet:
                row[0] = rng.choice([1, 2])
        yield name, sheet
    # A constant column beside group codes and a varying one.
    sheet = [[rng.choice([1, 2]), 3.0, rng.random() * 10, 3.0, 3.0] for _ in range(50)]
    yield "stress_constant", sheet
    # Signed values around 1, so that many are not positive.
    sheet = [[round(rng.gauss(1, 2), 2) if rng.random() > 0.05 else rng.choice(["<0.1", ">6", None])
              for _ in range(20)] for _ in range(500)]
    yield "stress_signed", sheet


# The full sheet with about a tenth of its numbers replaced by limits,
# of several distinct values on both sides: the estimates that keep each
# cell's limit then work on many censored cells, not a few at the ends.
CENSORED_LABELS = ["<0.5", "<1", "<2", "<5", ">20", ">50"]


def censored_sheet(sheet):
    rng = random.Random("morvenda-bench-censored")
    return [[rng.choice(CENSORED_LABELS) if isinstance(c, float) and rng.random() < 0.1 else c for c in row]
            for row in sheet]


def text_bytes(rows):
    """The cells as tab-separated lines; repr gives the shortest text that reads back as the same double."""
    def cell_text(cell):
        if cell is None:
            return ""
        return cell if isinstance(cell, str) else repr(cell)
    return "".join("\t".join(cell_text(c) for c in row) + "\n" for row in rows).encode("latin-1")


def main():
    args = [a for a in sys.argv[1:] if a not in ("--stress", "--text", "--censored")]
    if len(args) != 1:
        sys.exit("usage: make_worksheets.py OUTPUT_DIR [--stress] [--text] [--censored]")
    out = args[0]
    os.makedirs(out, exist_ok=True)
    sheets = []
    for size, (rows, columns) in SIZES.items():
        for suffix, with_groups in (("", False), ("_groups", True)):
            name = size + suffix
            sheets.append((name, make_sheet(name, rows, columns, with_groups)))
    if "--censored" in sys.argv[1:]:
        sheets.append(("full_censored", censored_sheet(dict(sheets)["full"])))
    if "--stress" in sys.argv[1:]:
        sheets.extend(stress_sheets())
    for name, sheet in sheets:
        with open(os.path.join(out, name + ".wk1"), "wb") as f:
            f.write(sheet_bytes(sheet))
        if "--text" in sys.argv[1:]:
            with open(os.path.join(out, name + ".tsv"), "wb") as f:
                f.write(text_bytes(sheet))


if __name__ == "__main__":
    main()
