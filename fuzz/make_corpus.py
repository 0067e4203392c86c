#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets: fuzz/corpus/decoder (bare
WK1 streams), fuzz/corpus/pipeline and fuzz/corpus/worksheet (two header
bytes choosing analysis, options and fault, then a WK1 stream; see
fuzz_program.h), fuzz/corpus/text (a byte choosing text format and mode,
then a cell's text or an analysis byte and a worksheet's text; see
text_fuzzer.cpp). Seeds are the example worksheets and hand-made edge cases.
Re-running it rewrites the seeds it owns (files named seed-*) and leaves
other files of the corpus folders alone."""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(HERE)

MISSING, SMALL, BIG, BOUND = -999999999.999, -999999998.999, 999999998.999, 999999999.999


def rec(rtype, body, length=None):
    return struct.pack("<HH", rtype, len(body) if length is None else length) + body


def bof(version=0x0406):
    return rec(0, struct.pack("<H", version))


def eof():
    return struct.pack("<HH", 1, 0)


def rng(end_col, end_row, start_col=0, start_row=0):
    return rec(6, struct.pack("<HHHH", start_col, start_row, end_col, end_row))


def number(col, row, value):
    return rec(14, struct.pack("<BHHd", 0xFF, col, row, value))


def integer(col, row, value):
    return rec(13, struct.pack("<BHHh", 0xFF, col, row, value))


def formula(col, row, value, code=b"\x03\x03\x03", declared=None):
    return rec(16, struct.pack("<BHHdH", 0xFF, col, row, value, len(code) if declared is None else declared) + code)


def label(col, row, text, prefix=b"'", terminator=True):
    return rec(15, struct.pack("<BHH", 0xFF, col, row) + prefix + text + (b"\0" if terminator else b""))


def sheet(rows, origin=(0, 0)):
    """A worksheet from rows of cells: numbers, b"..." labels, None empty."""
    r0, c0 = origin
    width = max((len(r) for r in rows), default=1)
    out = bof() + rng(c0 + width - 1, r0 + max(len(rows), 1) - 1)
    for r, row in enumerate(rows):
        for c, cell in enumerate(row):
            if cell is None:
                continue
            if isinstance(cell, bytes):
                out += label(c0 + c, r0 + r, cell)
            elif isinstance(cell, int) and -32768 <= cell <= 32767:
                out += integer(c0 + c, r0 + r, cell)
            else:
                out += number(c0 + c, r0 + r, float(cell))
    return out + eof()


def column_sheet(columns):
    n = max(len(c) for c in columns)
    return sheet([[c[r] if r < len(c) else None for c in columns] for r in range(n)])


def lcg(seed):
    state = seed
    while True:
        state = (state * 1103515245 + 12345) % (1 << 31)
        yield state / float(1 << 31)


def noise(n, seed, scale=10.0, offset=50.0):
    g = lcg(seed)
    return [round(offset + scale * (next(g) - 0.5), 3) for _ in range(n)]


def decoder_cases():
    """Streams aimed at the decoder's rules and failures."""
    c = {}
    c["empty"] = b""
    c["one_byte"] = b"\x00"
    c["two_bytes"] = b"\x00\x00"
    c["bof_only"] = bof()
    c["bof_0404"] = bof(0x0404) + rng(0, 2) + number(0, 0, 1) + number(0, 1, 2) + number(0, 2, 3) + eof()
    c["bof_0405"] = bof(0x0405) + eof()
    c["zero_length_record"] = bof() + rec(6, b"") + eof()
    c["body_beyond_block"] = bof() + rec(14, b"\xff\x00\x00", length=13)
    c["header_cut"] = bof() + rng(0, 0) + b"\x0e\x00\x0d"
    c["eof_then_garbage"] = bof() + rng(0, 2) + number(0, 0, 1) + eof() + b"\xff\xff\xff\xff\x00"
    c["no_eof"] = bof() + rng(0, 2) + number(0, 0, 1) + number(0, 1, 2) + number(0, 2, 3)
    c["range_2000_rows"] = bof() + rng(0, 1999) + number(0, 0, 1) + number(0, 1999, 2) + eof()
    c["range_1025_rows"] = bof() + rng(0, 1024) + number(0, 0, 1) + number(0, 1024, 2) + eof()
    c["range_60_columns"] = bof() + rng(59, 2) + b"".join(number(k, r, k + r) for k in range(0, 60, 7) for r in range(3)) + eof()
    c["origin_5_2"] = bof() + rng(4, 9) + b"".join(number(col, row, row * 10 + col) for row in range(5, 10) for col in range(2, 5)) + eof()
    c["range_before_lowest"] = bof() + rng(0, 0) + number(3, 5, 1) + eof()
    c["no_range"] = bof() + number(0, 0, 1) + number(0, 1, 2) + eof()
    c["cell_before_range"] = bof() + number(0, 0, 7) + rng(0, 2) + number(0, 1, 8) + number(0, 2, 9) + eof()
    c["short_range"] = bof() + rec(6, struct.pack("<HH", 0, 0)) + eof()
    c["short_cell"] = bof() + rng(0, 0) + rec(14, b"\xff\x00") + eof()
    c["short_integer"] = bof() + rng(0, 0) + rec(13, b"\xff\x00\x00\x00\x00\x05") + eof()
    c["labels"] = (bof() + rng(0, 5) + label(0, 0, b"<5") + label(0, 1, b">5") + label(0, 2, b"abc")
                   + label(0, 3, b"") + label(0, 4, b"", prefix=b"", terminator=False)
                   + label(0, 5, b"", prefix=b"'", terminator=False) + eof())
    c["values"] = (bof() + rng(0, 11) + integer(0, 0, -3) + number(0, 1, 1e9) + number(0, 2, float("nan"))
                   + number(0, 3, float("inf")) + number(0, 4, float("-inf")) + number(0, 5, -0.0)
                   + number(0, 6, 5e-324) + number(0, 7, BOUND) + number(0, 8, BIG) + number(0, 9, SMALL)
                   + number(0, 10, MISSING) + integer(0, 11, -32768) + eof())
    c["formulas"] = (bof() + rng(0, 3) + formula(0, 0, 2.5) + formula(0, 1, 3.5, b"") + formula(0, 2, 1.0, b"\x03", declared=0xFFFF)
                     + formula(0, 3, 4.0, b"\x03" * 40) + eof())
    c["formula_length_mismatch"] = bof() + rng(0, 1) + rec(16, struct.pack("<BHHdH", 0xFF, 0, 0, 1.0, 9) + b"\x03", length=16) + eof()
    c["blank_and_unknown"] = (bof() + rng(1, 2) + rec(12, struct.pack("<BHH", 0xFF, 9, 9)) + rec(0x96, b"\x01\x02")
                              + number(0, 0, 1) + number(1, 2, 2) + eof())
    c["far_corner_cells"] = bof() + rng(0xFFFF, 0xFFFF) + number(0xFFFF, 0xFFFF, 1) + number(0xFFFE, 0xFFFE, 2) + eof()
    c["huge_length"] = bof() + rec(0x20, b"\x00" * 4, length=0xFFFF)
    c["two_ranges"] = bof() + rng(0, 1) + number(0, 0, 1) + number(0, 1, 2) + number(0, 2, 3) + rng(0, 2) + eof()
    return c


def worksheet_cases():
    """Valid worksheets aimed at the analyses' corners."""
    c = {}
    c["one_column"] = column_sheet([[1, 2, 3, 4, 5]])
    c["titles"] = sheet([[b"x", b"y"], [1, 2], [2, 4], [3, 5], [4, 4], [5, 9]])
    c["two_rows"] = column_sheet([[1, 2], [3, 4]])
    c["all_equal"] = column_sheet([[7.0] * 30, [7.0] * 30, noise(30, 3)])
    c["all_missing"] = column_sheet([[b"n/a"] * 10, noise(10, 4)])
    c["markers"] = column_sheet([[b"<1", 2, 3, b">9", 5, 6, b"<1", 8, 9, 10], [1, b"<0.5", 3, 4, b">5", 6, 7, 8, b">5", 10]])
    c["limits"] = (bof() + rng(1, 5) + label(0, 0, b"<0.5") + label(0, 1, b"< 5") + label(0, 2, b"<abc")
                   + label(0, 3, b"<0,5") + label(0, 4, b">1e3") + label(0, 5, b"<" + b"9" * 40)
                   + number(1, 0, 3) + label(1, 1, b">-0") + label(1, 1, b"n.d.") + label(1, 2, b"<1")
                   + number(1, 2, 2) + eof())
    c["markers_only"] = column_sheet([[b"<1", b">2", b"<1", b">2"], [b">1", b">1", b"<1", b"<1"]])
    c["groups_8_8"] = column_sheet([[0] * 8 + [1] * 8, noise(16, 5), noise(16, 6, 1, 5)])
    c["groups_8_9"] = column_sheet([[2] * 8 + [5] * 9, noise(17, 7), [b"<1"] * 3 + noise(14, 8)])
    c["groups_3_20"] = column_sheet([[1.2] * 3 + [1.9] * 2 + [4] * 18, noise(23, 9)])
    c["three_codes"] = column_sheet([[0, 1, 2, 0, 1], noise(5, 10)])
    c["single_code"] = column_sheet([[3] * 6, noise(6, 11)])
    c["negative_codes"] = column_sheet([[-1, -2, -1, -2, -1, -2], noise(6, 12)])
    c["zeros_and_negatives"] = column_sheet([[0, -1, 2, 3, 4, 5, -6, 7], [1, 2, 0, -4, 5, 6, 7, 8]])
    c["perfect_correlation"] = column_sheet([list(range(1, 15)), [2 * x for x in range(1, 15)], [-x for x in range(1, 15)]])
    c["n_3_to_11"] = column_sheet([noise(11, 13), noise(3, 14), noise(4, 15), noise(10, 16), noise(11, 17)])
    c["wilcoxon_26"] = column_sheet([noise(26, 18), noise(26, 19)])
    c["boundaries"] = column_sheet([[1e9 - 1, -(1e9 - 1), 999999998.998, -999999998.998, 1.0, 2.0],
                                    [1e300, 1e-300, 5e-324, 2.0, 3.0, 4.0], [1e8, 1e8 + 1e-7, 1e8 - 1e-7, 1e8, 1e8, 1e8]])
    c["tiny_positive"] = column_sheet([[math.ldexp(1.0, -1070 + k) for k in range(8)], [float(k + 1) for k in range(8)]])
    c["wide_50"] = sheet([[(r * 7 + k * 3) % 11 for k in range(50)] for r in range(6)])
    c["wide_51"] = sheet([[(r + k) % 5 for k in range(51)] for r in range(4)])
    c["ranks_6_columns"] = sheet([[(r * 5 + k) % 7 for k in range(6)] for r in range(5)])
    c["long_1024"] = column_sheet([noise(1024, 20), [(k % 9) for k in range(1024)]])
    c["long_1100"] = column_sheet([noise(1100, 21)])
    return c


# The analysis choices of the header's first byte (fuzz_program.h).
DESCRIPTIVE, PAIRED, NONPAIRED, PEARSON, SPEARMAN, RANKS, DEFAULT, CANCEL = range(8)
LOG, LOG_Y, EXTRA, EXTRA_TWICE = 0x08, 0x10, 0x20, 0x40


def header(choice, fault=0):
    return bytes([choice, fault])


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as f:
        f.write(data)


def main():
    corpus = os.path.join(HERE, "corpus")
    examples = {}
    for name in sorted(os.listdir(os.path.join(TOP, "examples"))):
        if name.endswith(".wk1"):
            with open(os.path.join(TOP, "examples", name), "rb") as f:
                examples["example_" + name[:-4]] = f.read()

    decoder = dict(examples)
    decoder.update(decoder_cases())
    for name, data in decoder.items():
        write(os.path.join(corpus, "decoder"), name, data)

    # Every analysis with and without its options over the examples; the
    # hand-made streams once each, with the choices cycling.
    analyses = [DESCRIPTIVE, PAIRED, NONPAIRED, PEARSON, SPEARMAN, RANKS]
    options = [0, LOG | EXTRA, LOG_Y | EXTRA, EXTRA]
    pipeline = {}
    for name, data in examples.items():
        for a in analyses:
            for k, o in enumerate(options):
                pipeline["%s_%d_%d" % (name, a, k)] = header(a | o) + data
    pipeline["example_default"] = header(DEFAULT) + examples["example_lab_values"]
    pipeline["example_cancel"] = header(CANCEL) + examples["example_lab_values"]
    pipeline["example_extra_twice"] = header(DESCRIPTIVE | EXTRA_TWICE) + examples["example_lab_values"]
    for fault in range(10):  # 9: no "Wk1" block on the clipboard
        pipeline["fault_%d" % fault] = header(PEARSON | EXTRA, 0xF0 + fault) + examples["example_correlation"]
    for k, (name, data) in enumerate(sorted(decoder_cases().items())):
        pipeline["decoder_" + name] = header(analyses[k % 6] | options[k % 4]) + data
    for name, data in pipeline.items():
        write(os.path.join(corpus, "pipeline"), name, data)

    # Text: the command-line test worksheets behind each text format and
    # analysis, and single cells for the number syntax.
    text = {}
    data_dir = os.path.join(TOP, "tests", "cli", "data")
    for k, name in enumerate(sorted(os.listdir(data_dir))):
        if not (name.endswith(".tsv") or name.endswith(".csv")):
            continue
        with open(os.path.join(data_dir, name), "rb") as f:
            content = f.read()
        fmt = (2 if "decimal_comma" in name else 1) if name.endswith(".csv") else (3 if "decimal_comma" in name else 0)
        for a in analyses:
            text["%s_%d" % (name.replace(".", "_"), a)] = bytes([fmt, a | options[(k + a) % 4]]) + content
    hand_made = {
        "quoted": (1, b'"a,b",1\n"x""y",2\n"multi\nline",3\n,4\n5,"<1"\n6,">2"\n'),
        "unclosed_quote": (1, b'1,2\n"3,4\n5,6\n'),
        "crlf_bom": (0, b"\xef\xbb\xbf1\t2\r\n3\t4\r\n5\t6"),
        "ragged": (0, b"1\n2\t3\t4\n\n\t\t5\n6\t<1\t>1\n"),
        "decimal_comma": (2, b"1,5;2,5\n3,25;4\n5;6e-1\n"),
        "limits": (0, b"x\ty\n<0.5\t3\n< 5\t>1e3\n<abc\t<0,5\n<\t>-0\n"),
        "limits_quoted": (2, b'"<0,5";1\n" <2";">3,5 "\n"<""1";4\n'),
        "wide_and_far": (0, b"\n" * 5 + b"\t" * 3 + b"\t".join(b"%d" % k for k in range(60)) + b"\n"),
    }
    for a in analyses:
        for name, (fmt, content) in hand_made.items():
            text["%s_%d" % (name, a)] = bytes([fmt, a | options[a % 4]]) + content
    cells = [b"1", b"-0", b"+.5", b"5.", b".", b"-", b"1e", b"e5", b" 12 ", b"1 2", b"1e308", b"1e309", b"-1e309",
             b"2.4703282292062327e-324", b"2.4703282292062328e-324", b"4.9406564584124654e-324",
             b"0." + b"0" * 400 + b"1", b"1" * 900, b"9" * 800 + b"5" + b"0" * 30 + b"1", b"1e99999999999",
             b"0e999999999", b"999999999.999", b"-999999999.998", b"<5", b">5", b"1,5", b"1.7976931348623158e308",
             b"0.1e-99999", b"00000000000000000000000.00000000000000000000001e+00021",
             b"<0.5", b"< 5 ", b"<abc", b"<1e999", b"<-0", b">+.5e1", b"<<1", b"<5 mg", b"<999999999.999"]
    for k, cell in enumerate(cells):
        text["cell_%02d" % k] = bytes([4]) + cell
        text["cell_comma_%02d" % k] = bytes([6]) + cell.replace(b".", b",")
    for name, data in text.items():
        write(os.path.join(corpus, "text"), name, data)

    worksheet = {}
    for k, (name, data) in enumerate(sorted(worksheet_cases().items())):
        # The long worksheets once each: the mutator builds more of them.
        for a in analyses if len(data) < 8192 else [analyses[k % 6]]:
            worksheet["%s_%d" % (name, a)] = header(a | options[(k + a) % 4]) + data
    for name, data in worksheet.items():
        write(os.path.join(corpus, "worksheet"), name, data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
