#pragma once
// The project's table documents: a root element holding one element per row.
#include <algorithm>
#include <functional>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

class XmlNode;

// How reading a table document ended.
enum class RowsLoad { Loaded, FileMissing, ReadError };

// Hands every child of the document's root to eachRow, in document order.
// ReadError when the file cannot be read, a child is not an element or eachRow
// throws a TessaroError; the rows handed over before stay with the caller. A
// root named otherRoot is another document under the same file name: it holds
// no rows.
RowsLoad LoadRows(const std::string& path, const std::function<void(const XmlNode&)>& eachRow,
                  std::string_view otherRoot = {});

// Positions of the rows' keys in saving order: ascending, of two equal keys the
// later row first, the order the original saving's repeated selection of the
// least key gave.
template <class Key> std::vector<size_t> SaveOrder(const std::vector<Key>& keys) {
    std::vector<size_t> order(keys.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(),
              [&](size_t x, size_t y) { return keys[x] != keys[y] ? keys[x] < keys[y] : x > y; });
    return order;
}
