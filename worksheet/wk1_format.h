// The WK1 record stream as the "Wk1" clipboard format carries it: the record
// types this program reads or writes, their sizes and field offsets, and the
// BOF versions. Every integer is little-endian. The reader, the text step
// that writes such streams, and whatever else looks into a stream take these
// facts from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// A record: type u16, body length u16, then the body.
constexpr std::size_t WK1_HEADER_SIZE = 4;

// Record types.
constexpr unsigned WK1_BOF = 0;      // version u16
constexpr unsigned WK1_EOF = 1;      // no body: the type alone ends the stream
constexpr unsigned WK1_RANGE = 6;    // start column, start row, end column, end row: u16 each
constexpr unsigned WK1_BLANK = 12;   // a cell record without a value
constexpr unsigned WK1_INTEGER = 13; // cell head, value i16
constexpr unsigned WK1_NUMBER = 14;  // cell head, value IEEE-754 double
constexpr unsigned WK1_LABEL = 15;   // cell head, alignment prefix, text, zero byte
constexpr unsigned WK1_FORMULA = 16; // cell head, stored result double, formula length u16, formula

// BOF versions the reader accepts; the first is what the text step writes.
constexpr unsigned WK1_VERSION = 0x0406;
constexpr unsigned WK1_OLDER_VERSION = 0x0404;

// Body sizes.
constexpr std::size_t WK1_BOF_BODY_SIZE = 2;
constexpr std::size_t WK1_RANGE_BODY_SIZE = 8;
constexpr std::size_t WK1_CELL_HEAD_SIZE = 5;  // format u8, column u16, row u16
constexpr std::size_t WK1_INTEGER_BODY_SIZE = WK1_CELL_HEAD_SIZE + 2;
constexpr std::size_t WK1_NUMBER_BODY_SIZE = WK1_CELL_HEAD_SIZE + 8;

// Field offsets inside a body.
constexpr std::size_t WK1_RANGE_END_COLUMN = 4;
constexpr std::size_t WK1_RANGE_END_ROW = 6;
constexpr std::size_t WK1_CELL_FORMAT = 0;
constexpr std::size_t WK1_CELL_COLUMN = 1;
constexpr std::size_t WK1_CELL_ROW = 3;
constexpr std::size_t WK1_CELL_VALUE = 5;

// The format byte of a cell without a display format.
constexpr unsigned WK1_NO_FORMAT = 0xFF;

// Whole records, header included.
constexpr std::size_t WK1_BOF_RECORD_SIZE = WK1_HEADER_SIZE + WK1_BOF_BODY_SIZE;
constexpr std::size_t WK1_RANGE_RECORD_SIZE = WK1_HEADER_SIZE + WK1_RANGE_BODY_SIZE;
constexpr std::size_t WK1_NUMBER_RECORD_SIZE = WK1_HEADER_SIZE + WK1_NUMBER_BODY_SIZE;
constexpr std::size_t WK1_EOF_RECORD_SIZE = WK1_HEADER_SIZE;

// Whether `bytes` begin as a WK1 record stream does: a BOF record with its
// body length. How a file or an input of unknown kind is told from text.
inline bool starts_with_wk1_bof(const unsigned char* bytes, std::size_t size) {
    return size >= WK1_HEADER_SIZE && bytes[0] == WK1_BOF && bytes[1] == 0x00 && bytes[2] == WK1_BOF_BODY_SIZE &&
           bytes[3] == 0x00;
}

// A little-endian u16 of a record.
inline unsigned wk1_u16(const unsigned char* p) {
    return static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8);
}

// A little-endian IEEE-754 double of a record. Spelled byte by byte, which
// compilers turn into one load; the bits then become the double by memcpy.
inline double wk1_f64(const unsigned char* p) {
    const std::uint64_t bits = static_cast<std::uint64_t>(p[0]) | static_cast<std::uint64_t>(p[1]) << 8 |
                               static_cast<std::uint64_t>(p[2]) << 16 | static_cast<std::uint64_t>(p[3]) << 24 |
                               static_cast<std::uint64_t>(p[4]) << 32 | static_cast<std::uint64_t>(p[5]) << 40 |
                               static_cast<std::uint64_t>(p[6]) << 48 | static_cast<std::uint64_t>(p[7]) << 56;
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Whether this machine keeps integers and doubles little-endian, as a WK1
// record does: then a value is written by copying its bytes.
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool WK1_HOST_ORDER = true;
#else
constexpr bool WK1_HOST_ORDER = false;
#endif

// Writes the low 16 bits of `value` little-endian.
inline void put_wk1_u16(unsigned char* p, unsigned value) {
    if (WK1_HOST_ORDER) {
        const auto word = static_cast<std::uint16_t>(value & 0xFFFF);
        std::memcpy(p, &word, sizeof word);
        return;
    }
    p[0] = static_cast<unsigned char>(value & 0xFF);
    p[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

// Writes `value` as a little-endian IEEE-754 double, bit for bit.
inline void put_wk1_f64(unsigned char* p, double value) {
    if (WK1_HOST_ORDER) {
        std::memcpy(p, &value, sizeof value);
        return;
    }
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (unsigned i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>((bits >> (8 * i)) & 0xFF);
}

// Whether a record of `type` and body `length` is a cell with its head
// (INTEGER, NUMBER, LABEL, FORMULA).
inline bool is_wk1_cell_record(unsigned type, std::size_t length) {
    return type >= WK1_INTEGER && type <= WK1_FORMULA && length >= WK1_CELL_HEAD_SIZE;
}

// Calls `visit(type, length, body)` for each whole record of the stream, up
// to its first EOF record (visited too) or the first record that runs past
// `size`; returns the length of the whole records visited.
template <typename Visit>
std::size_t for_each_wk1_record(const unsigned char* block, std::size_t size, Visit visit) {
    std::size_t pos = 0;
    while (block != nullptr && size - pos >= WK1_HEADER_SIZE) {
        const unsigned type = wk1_u16(block + pos);
        const std::size_t length = wk1_u16(block + pos + 2);
        if (length > size - pos - WK1_HEADER_SIZE) break;
        visit(type, length, block + pos + WK1_HEADER_SIZE);
        pos += WK1_HEADER_SIZE + length;
        if (type == WK1_EOF) break;
    }
    return pos;
}
