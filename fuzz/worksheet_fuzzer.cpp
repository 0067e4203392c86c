// Fuzz target with a structure-aware mutator: the input is laid out as for
// the pipeline target (two header bytes, then a WK1 record stream), but the
// mutator works record by record on valid worksheets. It sets cells to
// markers, not-a-numbers, infinities, the +-1e9 boundaries, huge and tiny
// values; makes columns all equal or group codes; moves cells and the
// RANGE corner; inserts, drops and reorders records; and builds whole new
// worksheets up to 1024 rows and 50 columns. Random bytes alone rarely get
// past the decoder into the analyses' corners.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "fuzz/pipeline_check.h"
#include "worksheet/wk1_format.h"

extern "C" std::size_t LLVMFuzzerMutate(uint8_t* data, std::size_t size, std::size_t max_size);

namespace {

using Bytes = std::vector<uint8_t>;
// A random number generator whose draws are unsigned (the standard engines
// give unsigned long), usable by the standard distributions.
struct Random {
    using result_type = unsigned;
    std::minstd_rand engine;
    explicit Random(unsigned seed) : engine(seed) {}
    static constexpr result_type min() { return 1; }
    static constexpr result_type max() { return 2147483646; }
    result_type operator()() { return static_cast<result_type>(engine()); }
};

constexpr unsigned BOF = WK1_BOF, END = WK1_EOF, RANGE = WK1_RANGE, BLANK = WK1_BLANK, INTEGER = WK1_INTEGER,
                   NUMBER = WK1_NUMBER, LABEL = WK1_LABEL, FORMULA = WK1_FORMULA;

struct Record {
    unsigned type;
    Bytes body;
    int declared_length;  // the length written in the header; -1: the body's size
};

struct Sheet {
    uint8_t header[fuzz::HEADER_BYTES];
    std::vector<Record> records;
    Bytes tail;  // bytes after the last whole record
};

// ---- reading and writing the stream -------------------------------------

unsigned u16_at(const uint8_t* p) { return static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8); }

void put_u16(Bytes& out, std::size_t at, unsigned v) {
    out[at] = static_cast<uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

void append_u16(Bytes& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

Bytes f64_bytes(double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    Bytes out;
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>((bits >> (8 * i)) & 0xFF));
    return out;
}

Sheet parse(const uint8_t* data, std::size_t size) {
    Sheet sheet{};
    for (std::size_t i = 0; i < fuzz::HEADER_BYTES; ++i) sheet.header[i] = i < size ? data[i] : 0;
    std::size_t pos = fuzz::HEADER_BYTES;
    while (pos + 4 <= size) {
        const unsigned type = u16_at(data + pos);
        const unsigned length = u16_at(data + pos + 2);
        if (pos + 4 + length > size) break;
        sheet.records.push_back({type, Bytes(data + pos + 4, data + pos + 4 + length), -1});
        pos += 4 + length;
    }
    if (pos < size) sheet.tail.assign(data + pos, data + size);
    return sheet;
}

Bytes serialize(const Sheet& sheet) {
    Bytes out(sheet.header, sheet.header + fuzz::HEADER_BYTES);
    for (const Record& r : sheet.records) {
        append_u16(out, r.type);
        append_u16(out, r.declared_length >= 0 ? static_cast<unsigned>(r.declared_length) : static_cast<unsigned>(r.body.size()));
        out.insert(out.end(), r.body.begin(), r.body.end());
    }
    out.insert(out.end(), sheet.tail.begin(), sheet.tail.end());
    return out;
}

// ---- records ------------------------------------------------------------

Bytes cell_head(unsigned col, unsigned row) {
    Bytes body{0xFF};
    append_u16(body, col);
    append_u16(body, row);
    return body;
}

Record number_record(unsigned col, unsigned row, double v) {
    Bytes body = cell_head(col, row);
    const Bytes value = f64_bytes(v);
    body.insert(body.end(), value.begin(), value.end());
    return {NUMBER, body, -1};
}

Record integer_record(unsigned col, unsigned row, int v) {
    Bytes body = cell_head(col, row);
    append_u16(body, static_cast<unsigned>(v) & 0xFFFFu);
    return {INTEGER, body, -1};
}

Record formula_record(unsigned col, unsigned row, double v, unsigned formula_length) {
    Bytes body = cell_head(col, row);
    const Bytes value = f64_bytes(v);
    body.insert(body.end(), value.begin(), value.end());
    append_u16(body, formula_length);
    for (unsigned i = 0; i < formula_length; ++i) body.push_back(0x03);
    return {FORMULA, body, -1};
}

Record label_record(unsigned col, unsigned row, const char* text, bool with_prefix = true) {
    Bytes body = cell_head(col, row);
    if (with_prefix) body.push_back('\'');
    for (const char* p = text; *p != '\0'; ++p) body.push_back(static_cast<uint8_t>(*p));
    if (with_prefix) body.push_back(0);
    return {LABEL, body, -1};
}

Record range_record(unsigned end_col, unsigned end_row) {
    Bytes body;
    append_u16(body, 0);
    append_u16(body, 0);
    append_u16(body, end_col);
    append_u16(body, end_row);
    return {RANGE, body, -1};
}

Record bof_record(unsigned version) {
    Bytes body;
    append_u16(body, version);
    return {BOF, body, -1};
}

bool is_cell(const Record& r) {
    return (r.type == INTEGER || r.type == NUMBER || r.type == LABEL || r.type == FORMULA) && r.body.size() >= 5;
}

bool has_f64(const Record& r) { return (r.type == NUMBER || r.type == FORMULA) && r.body.size() >= 13; }

unsigned cell_col(const Record& r) { return u16_at(r.body.data() + 1); }
unsigned cell_row(const Record& r) { return u16_at(r.body.data() + 3); }

void set_f64(Record& r, double v) {
    const Bytes value = f64_bytes(v);
    std::copy(value.begin(), value.end(), r.body.begin() + 5);
}

// ---- values -------------------------------------------------------------

const double MISSING = -999999999.999, SMALL = -999999998.999, BIG = 999999998.999, BOUND = 999999999.999;

double special_value(Random& rng) {
    static const double VALUES[] = {
        0.0, -0.0, 1.0, -1.0, 2.0, 0.5, 3.0, 1e9, -1e9, 1e9 - 1, -1e9 + 1,
        MISSING, SMALL, BIG, BOUND, -BOUND, std::nextafter(BOUND, 0.0), std::nextafter(-BOUND, 0.0),
        std::nextafter(BIG, 0.0), std::nextafter(BIG, 2e9), std::nextafter(SMALL, 0.0), std::nextafter(SMALL, -2e9),
        999999998.998, -999999998.998, 1e12, -1e12, 1e300, -1e300, 1e-300, -1e-300, 5e-324, -5e-324,
        std::numeric_limits<double>::min(), std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::signaling_NaN(), 1e-9, 1e-15, 123456789.123456, 2147483647.0, -2147483648.0,
        2147483648.0, 4294967296.0, 0.999, 1.001, 1e8, 99999999.99995, -99999999.99995, 1e10, 32767, -32768,
    };
    const std::size_t n = sizeof VALUES / sizeof VALUES[0];
    switch (rng() % 4) {
    case 0: {
        uint64_t bits = (static_cast<uint64_t>(rng()) << 32) ^ rng();
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    case 1: return std::ldexp(static_cast<double>(rng() % 2000) - 1000.0, static_cast<int>(rng() % 80) - 40);
    default: return VALUES[rng() % n];
    }
}

unsigned special_index(Random& rng, unsigned near) {
    static const unsigned VALUES[] = {0, 1, 2, 3, 4, 5, 9, 48, 49, 50, 51, 60, 1022, 1023, 1024, 1025, 2000, 0x7FFF, 0x8000, 0xFFFE, 0xFFFF};
    switch (rng() % 3) {
    case 0: return VALUES[rng() % (sizeof VALUES / sizeof VALUES[0])];
    case 1: return (near + rng() % 5 + 0xFFFE) & 0xFFFF;  // near - 2 .. near + 2
    default: return static_cast<unsigned>(rng() % 64);
    }
}

const char* const LABELS[] = {"<5", ">5", "<0.5", ">100", "<", ">", "abc", "", "n/a", " <5", "=", "<>"};

// ---- whole worksheets -----------------------------------------------------

// A worksheet of `rows` x `cols` cells starting at (row0, col0): a mix of
// values from one of a few distributions, markers, labels and empty cells.
Sheet generate(Random& rng, std::size_t max_size, uint8_t header0, uint8_t header1) {
    // Mostly small shapes, around the analyses' thresholds; now and then the
    // table's limits (a large run costs a hundred small ones).
    static const unsigned ROWS[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 17, 18, 25, 26, 27, 30, 40, 64, 100};
    static const unsigned MANY_ROWS[] = {500, 1023, 1024, 1025, 2000};
    static const unsigned COLS[] = {1, 2, 2, 2, 3, 3, 4, 5, 6, 7, 10};
    static const unsigned MANY_COLS[] = {20, 49, 50, 51, 60};
    unsigned rows = rng() % 16 == 0 ? MANY_ROWS[rng() % 5] : ROWS[rng() % (sizeof ROWS / sizeof ROWS[0])];
    unsigned cols = rng() % 16 == 0 ? MANY_COLS[rng() % 5] : COLS[rng() % (sizeof COLS / sizeof COLS[0])];
    // Roughly 18 bytes a cell; keep within the size libFuzzer allows.
    const std::size_t budget = max_size > 64 ? (max_size - 64) / 18 : 0;
    while (rows > 1 && static_cast<std::size_t>(rows) * cols > budget) rows = rows / 2;
    while (cols > 1 && static_cast<std::size_t>(rows) * cols > budget) cols = cols / 2;
    const unsigned row0 = rng() % 4 == 0 ? rng() % 10 : 0;
    const unsigned col0 = rng() % 4 == 0 ? rng() % 5 : 0;

    enum Kind { Normal, Integers, AllEqual, Positive, Tiny, Huge, Codes, Mixed };
    const unsigned kind_count = 8;
    Sheet sheet{};
    sheet.header[0] = header0;
    sheet.header[1] = header1;
    sheet.records.push_back(bof_record(rng() % 8 == 0 ? WK1_OLDER_VERSION : WK1_VERSION));
    const unsigned end_col = col0 + (cols > 0 ? cols - 1 : 0);
    const unsigned end_row = row0 + (rows > 0 ? rows - 1 : 0);
    sheet.records.push_back(range_record(end_col, end_row));
    std::normal_distribution<double> normal(rng() % 100, 1 + rng() % 20);
    const double marker_rate = rng() % 3 == 0 ? 0.0 : 0.05 * (rng() % 5);
    const double empty_rate = rng() % 3 == 0 ? 0.0 : 0.05 * (rng() % 5);
    for (unsigned c = 0; c < cols; ++c) {
        const Kind kind = static_cast<Kind>(c == 0 && rng() % 2 == 0 ? Codes : rng() % kind_count);
        const double constant = special_value(rng);
        const int code_a = static_cast<int>(rng() % 4), code_b = code_a + 1 + static_cast<int>(rng() % 3);
        for (unsigned r = 0; r < rows; ++r) {
            const unsigned col = col0 + c, row = row0 + r;
            const double u = static_cast<double>(rng() % 10000) / 10000.0;
            if (u < empty_rate) continue;
            if (u < empty_rate + marker_rate) {
                sheet.records.push_back(label_record(col, row, LABELS[rng() % 4]));
                continue;
            }
            double v = 0;
            switch (kind) {
            case Normal: v = normal(rng); break;
            case Integers: v = static_cast<double>(rng() % 7); break;
            case AllEqual: v = constant; break;
            case Positive: v = std::exp(normal(rng) / 10.0); break;
            case Tiny: v = std::ldexp(1.0 + u, -1000 - static_cast<int>(rng() % 70)); break;
            case Huge: v = (u - 0.5) * 1.999e9; break;
            case Codes: v = rng() % 2 == 0 ? code_a : code_b; break;
            case Mixed: v = special_value(rng); break;
            }
            switch (rng() % 8) {
            case 0:
                if (v >= -32768 && v <= 32767 && v == std::floor(v)) {
                    sheet.records.push_back(integer_record(col, row, static_cast<int>(v)));
                    break;
                }
                sheet.records.push_back(number_record(col, row, v));
                break;
            case 1: sheet.records.push_back(formula_record(col, row, v, rng() % 4)); break;
            default: sheet.records.push_back(number_record(col, row, v)); break;
            }
        }
    }
    sheet.records.push_back({END, Bytes(), -1});
    return sheet;
}

// ---- mutations --------------------------------------------------------------

std::size_t pick(Random& rng, std::size_t n) { return n == 0 ? 0 : rng() % n; }

// The index of a random record satisfying `pred`, or -1.
template <typename Pred>
long pick_record(Random& rng, const Sheet& sheet, Pred pred) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < sheet.records.size(); ++i)
        if (pred(sheet.records[i])) found.push_back(i);
    if (found.empty()) return -1;
    return static_cast<long>(found[pick(rng, found.size())]);
}

void mutate_once(Random& rng, Sheet& sheet, std::size_t max_size) {
    auto& recs = sheet.records;
    switch (rng() % 16) {
    case 0:
    case 1: {  // a number or formula result becomes a special value
        const long i = pick_record(rng, sheet, has_f64);
        if (i >= 0) set_f64(recs[static_cast<std::size_t>(i)], special_value(rng));
        break;
    }
    case 2: {  // an integer cell becomes an edge integer
        const long i = pick_record(rng, sheet, [](const Record& r) { return r.type == INTEGER && r.body.size() >= 7; });
        static const int INTS[] = {0, 1, -1, 32767, -32768, 2, 100};
        if (i >= 0) put_u16(recs[static_cast<std::size_t>(i)].body, 5, static_cast<unsigned>(INTS[rng() % 7]) & 0xFFFF);
        break;
    }
    case 3: {  // a cell becomes a label (marker, text, empty, without text)
        const long i = pick_record(rng, sheet, is_cell);
        if (i < 0) break;
        Record& r = recs[static_cast<std::size_t>(i)];
        r = label_record(cell_col(r), cell_row(r), LABELS[pick(rng, sizeof LABELS / sizeof LABELS[0])], rng() % 6 != 0);
        break;
    }
    case 4: {  // a cell moves
        const long i = pick_record(rng, sheet, is_cell);
        if (i < 0) break;
        Record& r = recs[static_cast<std::size_t>(i)];
        if (rng() % 2 == 0)
            put_u16(r.body, 1, special_index(rng, cell_col(r)));
        else
            put_u16(r.body, 3, special_index(rng, cell_row(r)));
        break;
    }
    case 5: {  // the RANGE corner moves, or a RANGE record appears
        const long i = pick_record(rng, sheet, [](const Record& r) { return r.type == RANGE && r.body.size() >= 8; });
        if (i < 0 || rng() % 4 == 0) {
            recs.insert(recs.begin() + static_cast<long>(pick(rng, recs.size() + 1)),
                        range_record(special_index(rng, 3), special_index(rng, 10)));
            break;
        }
        Record& r = recs[static_cast<std::size_t>(i)];
        const std::size_t at = rng() % 2 == 0 ? 4 : 6;
        put_u16(r.body, at, special_index(rng, u16_at(r.body.data() + at)));
        break;
    }
    case 6: {  // duplicate, drop or move a record
        if (recs.empty()) break;
        const std::size_t i = pick(rng, recs.size());
        const Record r = recs[i];
        switch (rng() % 3) {
        case 0: recs.insert(recs.begin() + static_cast<long>(pick(rng, recs.size() + 1)), r); break;
        case 1: recs.erase(recs.begin() + static_cast<long>(i)); break;
        default:
            recs.erase(recs.begin() + static_cast<long>(i));
            recs.insert(recs.begin() + static_cast<long>(pick(rng, recs.size() + 1)), r);
            break;
        }
        break;
    }
    case 7: {  // a record the decoder must handle on its own
        Record r{BLANK, cell_head(rng() % 8, rng() % 8), -1};
        switch (rng() % 7) {
        case 0: r = {END, Bytes(), -1}; break;
        case 1: r = bof_record(rng() % 2 == 0 ? 0x0405 : WK1_OLDER_VERSION); break;
        case 2: r = {static_cast<unsigned>(rng() % 0x100), Bytes(), -1}; break;  // length 0
        case 3: r = {static_cast<unsigned>(rng() % 0x100), Bytes(rng() % 12, 0x41), -1}; break;
        case 4: r = {INTEGER + static_cast<unsigned>(rng() % 4), Bytes(rng() % 13, 0x00), -1}; break;  // short cell
        case 5: r = formula_record(rng() % 8, rng() % 8, special_value(rng), rng() % 2 == 0 ? 0xFFFF : 40); break;
        default: break;
        }
        recs.insert(recs.begin() + static_cast<long>(pick(rng, recs.size() + 1)), r);
        break;
    }
    case 8: {  // a declared length disagrees with the body
        if (recs.empty()) break;
        Record& r = recs[pick(rng, recs.size())];
        static const int LENGTHS[] = {0, 1, 4, 5, 6, 7, 12, 13, 0xFFFF};
        r.declared_length = rng() % 2 == 0 ? LENGTHS[rng() % 9] : static_cast<int>(r.body.size()) + static_cast<int>(rng() % 5) - 2;
        if (r.declared_length < 0) r.declared_length = 0;
        break;
    }
    case 9: {  // a whole column all equal, group codes, markers or missing
        const long i = pick_record(rng, sheet, is_cell);
        if (i < 0) break;
        const unsigned col = cell_col(recs[static_cast<std::size_t>(i)]);
        const double v = special_value(rng);
        const unsigned mode = rng() % 4;
        int k = 0;
        for (Record& r : recs) {
            if (!is_cell(r) || cell_col(r) != col) continue;
            const unsigned row = cell_row(r);
            switch (mode) {
            case 0: r = number_record(col, row, v); break;
            case 1: r = number_record(col, row, (k++ % 2) == 0 ? 1.0 : 2.0); break;
            case 2: r = label_record(col, row, rng() % 2 == 0 ? "<1" : ">1"); break;
            default: r = label_record(col, row, "x"); break;
            }
        }
        break;
    }
    case 10: {  // scale a column's values
        const long i = pick_record(rng, sheet, has_f64);
        if (i < 0) break;
        const unsigned col = cell_col(recs[static_cast<std::size_t>(i)]);
        static const double FACTORS[] = {1e8, 1e-8, -1.0, 1e300, 1e-300, 0.0, 1e6};
        const double f = FACTORS[rng() % 7];
        for (Record& r : recs) {
            if (!has_f64(r) || cell_col(r) != col) continue;
            double v = 0;
            uint64_t bits = 0;
            for (int b = 7; b >= 0; --b) bits = (bits << 8) | r.body[5 + static_cast<std::size_t>(b)];
            std::memcpy(&v, &bits, sizeof v);
            set_f64(r, v * f);
        }
        break;
    }
    case 11: {  // the stream ends early
        if (recs.empty()) break;
        recs.resize(pick(rng, recs.size()));
        if (rng() % 2 == 0) sheet.tail = Bytes(rng() % 4, 0x0E);
        break;
    }
    case 12: {  // what the user does
        sheet.header[0] = static_cast<uint8_t>(rng() % 2 == 0 ? rng() % 0x80 : sheet.header[0] ^ (1u << (rng() % 7)));
        if (rng() % 8 == 0) sheet.header[1] = static_cast<uint8_t>(rng() % 3 == 0 ? 0xF0 + rng() % 10 : 0);
        break;
    }
    case 13:
    case 14: {  // a whole new worksheet
        sheet = generate(rng, max_size, sheet.header[0], sheet.header[1]);
        break;
    }
    default: {  // a new cell
        const unsigned col = rng() % 8, row = rng() % 12;
        Record r = rng() % 3 == 0 ? label_record(col, row, LABELS[pick(rng, 4)]) : number_record(col, row, special_value(rng));
        recs.insert(recs.begin() + static_cast<long>(pick(rng, recs.size() + 1)), r);
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::run_and_check(data, size);
    return 0;
}

extern "C" std::size_t LLVMFuzzerCustomMutator(uint8_t* data, std::size_t size, std::size_t max_size, unsigned int seed) {
    Random rng(seed);
    // Now and then plain byte mutations, for what the record mutations miss.
    if (rng() % 10 == 0) return LLVMFuzzerMutate(data, size, max_size);
    Sheet sheet = parse(data, size);
    const unsigned rounds = 1 + rng() % 3;
    for (unsigned i = 0; i < rounds; ++i) mutate_once(rng, sheet, max_size);
    const Bytes out = serialize(sheet);
    if (out.size() > max_size) return LLVMFuzzerMutate(data, size, max_size);
    std::copy(out.begin(), out.end(), data);
    return out.size();
}

// Crossing two worksheets: the records of one up to a point, then the other's.
extern "C" std::size_t LLVMFuzzerCustomCrossOver(const uint8_t* data1, std::size_t size1, const uint8_t* data2,
                                                 std::size_t size2, uint8_t* out, std::size_t max_out_size,
                                                 unsigned int seed) {
    Random rng(seed);
    const Sheet a = parse(data1, size1);
    const Sheet b = parse(data2, size2);
    Sheet mixed = a;
    mixed.records.resize(pick(rng, a.records.size() + 1));
    const std::size_t from = pick(rng, b.records.size() + 1);
    mixed.records.insert(mixed.records.end(), b.records.begin() + static_cast<long>(from), b.records.end());
    mixed.tail = b.tail;
    const Bytes bytes = serialize(mixed);
    if (bytes.size() > max_out_size) return 0;
    std::copy(bytes.begin(), bytes.end(), out);
    return bytes.size();
}
