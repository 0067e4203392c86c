#!/usr/bin/env python3
"""Writes the example worksheets in examples/ as WK1 record streams, the way
a spreadsheet puts a copied block on the clipboard under "Wk1".

Re-run after changing a sheet below: python3 tools/make_examples.py
The values are fixed here (no randomness), so the files are byte-identical
on every run.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "examples")


def record(rtype, body):
    return struct.pack("<HH", rtype, len(body)) + body


def sheet_bytes(rows):
    """rows: list of lists of cells; a cell is a number, a str (a label) or None."""
    width = max(len(r) for r in rows)
    out = record(0, struct.pack("<H", 0x0406))
    out += record(6, struct.pack("<HHHH", 0, 0, width - 1, len(rows) - 1))
    for r, row in enumerate(rows):
        for c, cell in enumerate(row):
            if cell is None:
                continue
            if isinstance(cell, str):
                text = cell.encode("latin-1")
                out += record(15, struct.pack("<BHH", 0xFF, c, r) + b"'" + text + b"\0")
            elif isinstance(cell, int) and -32768 <= cell <= 32767:
                out += record(13, struct.pack("<BHHh", 0xFF, c, r, cell))
            else:
                out += record(14, struct.pack("<BHHd", 0xFF, c, r, float(cell)))
    out += struct.pack("<HH", 1, 0)
    return out


# Laboratory values of 18 patients: a title row, values below the limit of
# detection ("<0.5"), above the measuring range (">200"), and missing cells.
LAB_VALUES = [
    ["Creatinine", "CRP", "Ferritin"],
    [72, 3.1, 45.0],
    [88, "<0.5", 120.5],
    [65, 12.4, 33.2],
    [101, 45.0, ">1000"],
    [79, "<0.5", 88.0],
    [93, 7.7, None],
    [58, 1.2, 21.9],
    [110, 88.1, 410.0],
    [84, 2.6, 67.3],
    [None, "<0.5", 54.1],
    [76, 15.9, 150.0],
    [69, ">200", 95.5],
    [95, 4.4, 39.0],
    [81, 0.9, 72.8],
    [123, 31.0, ">1000"],
    [70, "<0.5", 18.4],
    [87, 6.3, 102.0],
    [92, 9.8, 61.7],
]

# Two treatment groups (code 1 and 2) with two measurements each.
GROUPS = [
    ["Group", "Weight gain", "Enzyme"],
    [1, 12.1, 4.2],
    [1, 10.4, 3.9],
    [1, 14.8, "<1"],
    [1, 9.9, 5.6],
    [1, 11.7, 4.8],
    [1, 13.2, 3.1],
    [1, 12.9, None],
    [1, 10.8, 6.0],
    [1, 15.3, 4.4],
    [1, 11.1, 2.9],
    [2, 15.6, 8.8],
    [2, 17.2, 9.4],
    [2, 14.1, 7.7],
    [2, 18.9, ">20"],
    [2, 16.4, 10.2],
    [2, 13.8, 6.9],
    [2, 19.5, 12.5],
    [2, 16.0, 8.1],
    [2, 17.7, None],
]

# Blood pressure before and after treatment, and at follow-up.
PAIRED = [
    ["Before", "After", "Follow-up"],
    [152, 140, 138],
    [148, 139, 141],
    [160, 151, 149],
    [139, 136, 135],
    [171, 155, 150],
    [144, 144, 140],
    [158, 147, 146],
    [165, 150, 152],
    [150, 142, None],
    [147, 141, 139],
    [155, 149, 144],
    [162, 148, 147],
    [143, 140, 141],
    [168, 156, 150],
]

# Four measurements on 16 samples for the correlations and the rank listing.
CORRELATION = [
    ["Dose", "Response", "Marker", "Age"],
    [0.5, 1.2, 30.5, 44],
    [1.0, 2.1, 28.0, 51],
    [1.5, 2.8, 27.1, 38],
    [2.0, 4.2, 22.5, 60],
    [2.5, 4.9, 20.1, 47],
    [3.0, 5.8, 21.3, 55],
    [3.5, 7.4, 18.8, 41],
    [4.0, 7.9, 15.2, 63],
    [4.5, 9.6, 14.9, 49],
    [5.0, 9.8, "<10", 58],
    [5.5, 11.7, 12.0, 36],
    [6.0, 12.1, "<10", 52],
    [6.5, 13.9, 11.1, 45],
    [7.0, 14.2, None, 57],
    [7.5, 16.0, "<10", 40],
    [8.0, ">20", 10.4, 61],
]

SHEETS = {
    "lab_values.wk1": LAB_VALUES,
    "groups.wk1": GROUPS,
    "paired.wk1": PAIRED,
    "correlation.wk1": CORRELATION,
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, rows in SHEETS.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(sheet_bytes(rows))


if __name__ == "__main__":
    main()
