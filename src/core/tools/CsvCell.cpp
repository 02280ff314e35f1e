#include "core/tools/CsvCell.h"

#include "core/project/ParseInteger.h"

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A number a spreadsheet reads as a number, not as a formula: an optional sign,
// then decimal digits with an optional fraction, or 0x/0X and hex digits.
bool PlainNumber(std::string_view v) {
    if (!v.empty() && (v[0] == '+' || v[0] == '-')) v.remove_prefix(1);
    if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        for (char c : v.substr(2))
            if (HexDigit(c) < 0) return false;
        return true;
    }
    size_t digits = 0, dots = 0;
    for (char c : v) {
        if (IsDigit(c))
            ++digits;
        else if (c == '.' && ++dots == 1)
            continue;
        else
            return false;
    }
    return digits > 0;
}

} // namespace

bool CsvFormulaLike(std::string_view v) {
    // Apostrophes before a formula are part of what export neutralises, so a
    // cell that began with "'=" itself comes back whole.
    while (!v.empty() && v[0] == '\'')
        v.remove_prefix(1);
    if (v.empty()) return false;
    return std::string_view("=+-@\t\r").find(v[0]) != std::string_view::npos && !PlainNumber(v);
}

std::string CsvCell(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 1);
    if (CsvFormulaLike(text)) out += '\'';
    out += text;
    return out;
}

std::string CsvCellRead(std::string_view cell) {
    if (!cell.empty() && cell[0] == '\'' && CsvFormulaLike(cell.substr(1))) cell.remove_prefix(1);
    return std::string(cell);
}
