#include "core/project/CheckedTable.h"

#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"

bool IntegerInRange(std::string_view text, int64_t low, int64_t high) {
    const std::optional<int32_t> v = TryParseInteger(text);
    return v && *v >= low && *v <= high;
}

std::string RowFailure(size_t row, const char* table, const std::string& message) {
    return "Error row " + std::to_string(row) + "!! [" + table + "] " + message;
}

TableSizes ReadTableSizes(const std::string& pargenPath, std::string_view inElement,
                          std::string_view outElement, int32_t fallback) {
    if (!FileExists(pargenPath)) return {fallback, fallback};
    XmlDocument doc;
    doc.load(pargenPath);
    return ReadTableSizes(doc, inElement, outElement, fallback);
}

TableSizes ReadTableSizes(const XmlDocument& doc, std::string_view inElement,
                          std::string_view outElement, int32_t fallback) {
    TableSizes sizes{fallback, fallback};
    const XmlNode root = doc.root();
    auto size = [&](std::string_view name) {
        auto e = root.findChild(name);
        return e ? TryParseInteger(e->text()).value_or(fallback) : fallback;
    };
    sizes.in = size(inElement);
    sizes.out = size(outElement);
    return sizes;
}
