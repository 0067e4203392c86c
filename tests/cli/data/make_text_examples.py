#!/usr/bin/env python3
"""Writes each example worksheet (examples/*.wk1) as text in the forms a
spreadsheet puts on the clipboard or saves, for the tests that check that a
text worksheet gives the very same results as its WK1 worksheet:

  NAME.tsv                tab-separated, "\\n" line ends
  NAME.csv                comma-separated, "\\r\\n" line ends, labels quoted
  paired_saved.CSV        paired.csv under a name in capitals, as some
                          programs save it
  NAME_decimal_comma.csv  ";"-separated with a space after it, decimal comma
  lab_values_offset.tsv   lab_values.tsv two rows down and one column right,
                          with blank lines and cells of spaces around it
  NAME_decimal_comma.tsv  tab-separated with a decimal comma
  NAME_utf16.tsv          tab-separated, "\r\n" line ends, UTF-16 little-endian
                          with a byte order mark ("Unicode text")

Numbers are written as the shortest text that reads back to the same double.
Re-run after changing the examples: python3 tests/cli/data/make_text_examples.py
"""
import glob
import os
import re
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, "..", "..", "..", "examples")
NUMBER_SYNTAX = re.compile(r"^ *[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)? *$")


def read_wk1(path):
    """The worksheet's cells as a list of rows from its origin to its far corner."""
    data = open(path, "rb").read()
    cells = {}
    end_col = end_row = None
    pos = 0
    while pos + 4 <= len(data):
        rtype, length = struct.unpack_from("<HH", data, pos)
        body = data[pos + 4 : pos + 4 + length]
        pos += 4 + length
        if rtype == 1:
            break
        if rtype == 6:
            _, _, end_col, end_row = struct.unpack_from("<HHHH", body)
        elif rtype in (13, 14, 15, 16):
            _, col, row = struct.unpack_from("<BHH", body)
            if rtype == 13:
                cells[(row, col)] = struct.unpack_from("<h", body, 5)[0]
            elif rtype in (14, 16):
                cells[(row, col)] = struct.unpack_from("<d", body, 5)[0]
            else:
                label = body[6:].split(b"\0")[0].decode("latin-1")
                # Such labels would read as numbers or as nothing in text.
                assert label.strip() and not NUMBER_SYNTAX.match(label), label
                assert "\t" not in label and "\n" not in label, label
                cells[(row, col)] = label
    top = min(r for r, _ in cells)
    left = min(c for _, c in cells)
    # Text has no RANGE record: its far corner is its last cell.
    assert end_row == max(r for r, _ in cells) and end_col == max(c for _, c in cells), path
    return [[cells.get((r, c)) for c in range(left, end_col + 1)] for r in range(top, end_row + 1)]


def number_text(value):
    if isinstance(value, int):
        return str(value)
    return repr(value)


def tsv(rows):
    return "".join("\t".join("" if v is None else v if isinstance(v, str) else number_text(v)
                             for v in row) + "\n" for row in rows)


def csv(rows):
    def cell(v):
        if v is None:
            return ""
        if isinstance(v, str):
            return '"' + v.replace('"', '""') + '"'
        return number_text(v)
    return "".join(",".join(cell(v) for v in row) + "\r\n" for row in rows)


def decimal_comma_csv(rows):
    def cell(v):
        if v is None:
            return ""
        if isinstance(v, str):
            return v
        return number_text(v).replace(".", ",")
    return "".join("; ".join(cell(v) for v in row) + "\n" for row in rows)


def offset_tsv(rows):
    lines = ["", "  \t \t"]
    lines += ["\t" + "\t".join("" if v is None else v if isinstance(v, str) else number_text(v)
                               for v in row) + "\t " for row in rows]
    return "\n".join(lines) + "\n\n \n"


def main():
    for path in sorted(glob.glob(os.path.join(EXAMPLES, "*.wk1"))):
        name = os.path.splitext(os.path.basename(path))[0]
        rows = read_wk1(path)
        outputs = {
            name + ".tsv": tsv(rows),
            name + ".csv": csv(rows),
            name + "_decimal_comma.csv": decimal_comma_csv(rows),
            name + "_decimal_comma.tsv": tsv(rows).replace(".", ","),
        }
        if name == "lab_values":
            outputs[name + "_offset.tsv"] = offset_tsv(rows)
        if name == "paired":
            outputs[name + "_saved.CSV"] = csv(rows)
        for out_name, text in outputs.items():
            with open(os.path.join(HERE, out_name), "w", encoding="latin-1", newline="") as f:
                f.write(text)
        utf16 = "\ufeff" + tsv(rows).replace("\n", "\r\n")
        with open(os.path.join(HERE, name + "_utf16.tsv"), "wb") as f:
            f.write(utf16.encode("utf-16-le"))


if __name__ == "__main__":
    main()
