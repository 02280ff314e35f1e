#include "core/project/CheckedTable.h"

#include "core/project/ParseInteger.h"

bool IntegerInRange(std::string_view text, int64_t low, int64_t high) {
    const std::optional<int32_t> v = TryParseInteger(text);
    return v && *v >= low && *v <= high;
}

std::string RowFailure(size_t row, const char* table, const std::string& message) {
    return "Error row " + std::to_string(row) + "!! [" + table + "] " + message;
}
