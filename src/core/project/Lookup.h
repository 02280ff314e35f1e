#pragma once
#include <cstddef>
#include <utility>

// The value paired with `key` in a table written once, or `fallback`.
template <class K, class V, size_t N>
constexpr V Lookup(const std::pair<K, V> (&table)[N], const K& key, V fallback) {
    for (const auto& [k, v] : table)
        if (k == key) return v;
    return fallback;
}
