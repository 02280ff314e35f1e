#pragma once
#include <string>
#include <vector>

// Rows of the Select String grid below its header.
inline constexpr int StringsListRows = 1000;

struct StringsList {
    // The texts of the document element's children in order, at most
    // StringsListRows of them; on a read error, those read before it.
    std::vector<std::string> strings;
    // Messages to show, in order.
    std::vector<std::string> messages;
};

// Reads the strings file of the Select String dialog. Entries after the
// first StringsListRows are not shown, so they are not kept.
StringsList ReadStringsList(const std::string& path);
