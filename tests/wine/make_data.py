#!/usr/bin/env python3
"""Writes the worksheets of the Wine end-to-end cases that examples/ does not
have: a sheet of one column, and "Wk1" blocks that are too short, of another
version, broken or garbage. Each is what a program could put on the
clipboard under "Wk1"; the Windows program must show its messages and end.

Also the UTF-8 texts that the cases put on the clipboard as Unicode text, as
spreadsheets copy a block without "Wk1": a sheet with non-ASCII titles,
"\r\n" line ends and a last line without one (with a decimal point and with
a decimal comma), a sheet of 1100 rows, a sentence and an empty text.

Re-run after changing a sheet below: python3 tests/wine/make_data.py
Nothing is random beyond a fixed seed, so the files are byte-identical on
every run.
"""
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "data")


def record(rtype, body):
    return struct.pack("<HH", rtype, len(body)) + body


def bof(version=0x0406):
    return record(0, struct.pack("<H", version))


EOF_RECORD = struct.pack("<HH", 1, 0)


def number(col, row, value):
    return record(14, struct.pack("<BHHd", 0xFF, col, row, value))


def one_column():
    """A title and eight numbers in one column: too few for any comparison."""
    out = bof() + record(6, struct.pack("<HHHH", 0, 0, 0, 8))
    out += record(15, struct.pack("<BHH", 0xFF, 0, 0) + b"'Weight\0")
    for row, value in enumerate([71.5, 64.0, 88.25, 59.5, 77.0, 92.75, 68.0, 80.5], start=1):
        out += number(0, row, value)
    return out + EOF_RECORD


def other_version():
    """A BOF record of a version the reader does not accept (0x0405)."""
    return bof(0x0405) + record(6, struct.pack("<HHHH", 0, 0, 1, 1)) + number(0, 0, 1.0) + EOF_RECORD


def zero_length_record():
    """A record other than EOF whose length is 0."""
    return bof() + struct.pack("<HH", 6, 0) + EOF_RECORD


def garbage():
    """Bytes with no structure at all."""
    rng = random.Random(20240607)
    return bytes(rng.randrange(256) for _ in range(300))


def garbage_cells():
    """Well-formed records full of nonsense: cells far outside the range,
    labels without their terminating zero, values that are not numbers or are
    infinite, formulas with formula bytes, unknown record types."""
    rng = random.Random(20240608)
    out = bof() + record(6, struct.pack("<HHHH", 0, 0, 3, 20))
    specials = [float("nan"), float("inf"), -float("inf"), 1e300, -1e-300, 0.0, -0.0, 999999999.999]
    for _ in range(120):
        col, row = rng.choice([rng.randrange(4), rng.randrange(65536)]), rng.choice([rng.randrange(21), rng.randrange(65536)])
        kind = rng.randrange(6)
        head = struct.pack("<BHH", rng.randrange(256), col, row)
        if kind == 0:
            out += record(13, head + struct.pack("<h", rng.randrange(-32768, 32768)))
        elif kind == 1:
            value = rng.choice(specials) if rng.random() < 0.3 else rng.uniform(-1e6, 1e6)
            out += record(14, head + struct.pack("<d", value))
        elif kind == 2:
            text = bytes(rng.randrange(1, 256) for _ in range(rng.randrange(0, 12)))
            tail = b"\0" if rng.random() < 0.5 else b""
            out += record(15, head + text + tail)
        elif kind == 3:
            formula = bytes(rng.randrange(256) for _ in range(rng.randrange(0, 8)))
            out += record(16, head + struct.pack("<dH", rng.uniform(-50, 50), len(formula)) + formula)
        elif kind == 4:
            out += record(12, head)
        else:
            out += record(rng.randrange(17, 300), bytes(rng.randrange(256) for _ in range(rng.randrange(1, 20))))
    return out + EOF_RECORD


# Cells of the text sheet: numbers with a decimal point, "<" and ">" cells,
# spaces around cells, text and an empty cell. "3,2" is a number with the
# other separator, so it is a missing cell.
TITLES = ["Gr\u00f6\u00dfe cm", "Gewicht kg", "CRP \u00b5g/l", "Ferritin \u00b5g/l"]
TEXT_ROWS = [
    ["172.5", "68.2", "3.1", "45"],
    [" 181 ", " 77.9", "<0.5", "120.5"],
    ["165.0", "59.4", "12.4", ">1000"],
    ["178.2", "n.d.", "45.0", "33.2"],
    ["169.8", "64.0", "3,2", "88.1"],
    ["190.1", "88.5", "7.7", ""],
    ["158.4", "52.3", "<0.5", "61.0"],
    ["175.0", "71.1", "22.8", "140.2"],
    ["183.3", "80.4", "1.9", "55.5"],
    ["171.6", "66.7", "9.3", "76.0"],
    ["167.9", "61.2", "15.5", "98.4"],
    ["176.4", "73.0", "<0.5", ">1000"],
]


def titles_sheet(decimal_comma):
    """The text sheet, "\r\n" line ends, the last line without one. With a
    decimal comma the two separators trade places in the numbers."""
    def cell_text(cell):
        return cell.translate(str.maketrans(".,", ",.")) if decimal_comma and cell != "n.d." else cell
    lines = ["\t".join(TITLES)] + ["\t".join(cell_text(cell) for cell in row) for row in TEXT_ROWS]
    return "\r\n".join(lines).encode("utf-8")


def rows_1100():
    """A title row and 1100 rows of two columns: more rows than are read."""
    lines = ["Zeit s\tMesswert"]
    lines += ["%d\t%.1f" % (i, ((i * 37) % 101) / 10.0) for i in range(1, 1101)]
    return ("\n".join(lines) + "\n").encode("utf-8")


SHEETS = {
    "one_column.wk1": one_column(),
    "one_byte.wk1": b"\x00",
    "other_version.wk1": other_version(),
    "zero_length_record.wk1": zero_length_record(),
    "garbage.wk1": garbage(),
    "garbage_cells.wk1": garbage_cells(),
    "titles_crlf.txt": titles_sheet(False),
    "titles_crlf_comma.txt": titles_sheet(True),
    "rows_1100.txt": rows_1100(),
    "no_numbers.txt": "Die Gr\u00f6\u00dfe der Stichprobe ist nicht bekannt.\r\nBitte erneut kopieren.".encode("utf-8"),
    "empty.txt": b"",
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in SHEETS.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
        print("wrote %s (%d bytes)" % (os.path.join("tests", "wine", "data", name), len(data)))


if __name__ == "__main__":
    main()
