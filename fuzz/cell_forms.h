// The forms of the cells Morvenda prints, as the fuzz invariants read them
// back: "%<width>.<decimals>lf" numbers, the "%.*g" form of a result cell
// too wide for "%.4lf", "#n/a", p-values with a bound sign, counts; and a
// report's rows by label, for checks across rows.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "worksheet/result_text.h"

namespace fuzz {

namespace detail {

inline std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) break;
        start = at + 1;
    }
    return parts;
}

inline bool all_digits(const std::string& s, std::size_t from, std::size_t to) {
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

// Leading pad spaces are allowed only up to `min_width`.
inline std::size_t skip_pad(const std::string& s, std::size_t min_width) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    if (i > 0 && s.size() != min_width) return std::string::npos;
    return i;
}

// "%<min_width>.<decimals>lf" of a finite double.
inline bool is_fixed(const std::string& s, int decimals, std::size_t min_width = 0) {
    if (s.size() < min_width) return false;
    std::size_t i = skip_pad(s, min_width);
    if (i == std::string::npos) return false;
    if (i < s.size() && s[i] == '-') ++i;
    const std::size_t dot = s.find('.', i);
    if (decimals == 0) return dot == std::string::npos && all_digits(s, i, s.size());
    if (dot == std::string::npos || !all_digits(s, i, dot)) return false;
    return s.size() - dot - 1 == static_cast<std::size_t>(decimals) && all_digits(s, dot + 1, s.size());
}

inline bool is_integer(const std::string& s, std::size_t min_width = 0) { return is_fixed(s, 0, min_width); }

// "%.*g" of a finite double, the result cells' form for numbers too wide for
// "%.4lf": digits, an optional fraction and an optional exponent.
inline bool is_general(const std::string& s) {
    std::size_t i = 0;
    if (i < s.size() && s[i] == '-') ++i;
    std::size_t start = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    if (i == start) return false;
    if (i < s.size() && s[i] == '.') {
        start = ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        if (i == start) return false;
    }
    if (i < s.size() && s[i] == 'e') {
        ++i;
        if (i >= s.size() || (s[i] != '+' && s[i] != '-')) return false;
        return all_digits(s, i + 1, s.size());
    }
    return i == s.size();
}

}  // namespace detail

// Cell kinds of the result cell table rows.
enum class CellForm { Value, PValueT, PValueWilcoxon, Count, WideCount };

// The result cell of an analysis row: at most 15 characters, "#n/a" or its
// number format.
inline bool result_cell_ok(const std::string& s, CellForm form) {
    using namespace detail;
    if (s.size() >= static_cast<std::size_t>(RESULT_CELL_CAPACITY)) return false;
    if (s == "#n/a") return form != CellForm::Count && form != CellForm::WideCount;
    switch (form) {
    case CellForm::Value: return is_fixed(s, 4) || is_general(s);
    case CellForm::PValueT: return is_fixed(s, 4) || (s.size() > 1 && s[0] == '>' && is_fixed(s.substr(1), 4));
    case CellForm::PValueWilcoxon:
        return is_fixed(s, 3) || is_fixed(s, 4) || (s.size() > 2 && s.compare(0, 2, "< ") == 0 && is_fixed(s.substr(2), 3));
    case CellForm::Count: return is_integer(s);
    case CellForm::WideCount: return is_integer(s, 12);
    }
    return false;
}

// A row of a labelled report: its label, the form of its cells and the
// range every number in them must lie in.
struct ReportRow {
    const char* label;
    CellForm form;
    double low = -HUGE_VAL;
    double high = HUGE_VAL;
};

// The number a cell shows, without a ">" or "< " bound sign; false for "#n/a".
inline bool cell_number(const std::string& cell, double& value) {
    if (cell.empty() || cell == "#n/a") return false;
    std::size_t from = 0;
    if (cell[0] == '>') from = 1;
    if (cell.compare(0, 2, "< ") == 0) from = 2;
    value = std::atof(cell.c_str() + from);
    return true;
}

// Printed with four decimals, a number may round up to its bound.
constexpr double PRINT_SLACK = 0.0001;

// The cells of a report by row label, one per column.
struct Table {
    std::vector<std::pair<std::string, std::vector<std::string>>> rows;
    void add(const std::string& label, std::vector<std::string> cells) { rows.emplace_back(label, std::move(cells)); }
    const std::vector<std::string>* find(const std::string& label) const {
        for (const auto& row : rows)
            if (row.first == label) return &row.second;
        return nullptr;
    }
};

}  // namespace fuzz
