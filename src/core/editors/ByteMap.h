#pragma once
#include "core/editors/AccessMap.h"
#include "core/editors/Finding.h"

#include <string>
#include <vector>

// One access-map row placed on the DeviceNet bytes of its direction.
struct ByteRow {
    int row = 0;                      // grid row from 1
    int first = 0;                    // first DeviceNet byte
    int length = 0;                   // bytes used
    const AccessRow* cells = nullptr; // the row as typed (points into the map)
};

// Which rows use which DeviceNet bytes of one direction. Registers take two
// bytes a point; coils and inputs one bit a point, rounded up to whole bytes.
// Rows whose NPoint or Address DeviceNet is out of range (an error already)
// are left out.
struct ByteMap {
    AccessTable table = AccessTable::Read;
    int areaBytes = 0;         // N Byte IN (read) or N Byte OUT (write), at most 455
    std::vector<ByteRow> rows; // placed rows in row order
    // Per byte, the grid rows using it; as long as the area, or longer when a
    // row runs past its end.
    std::vector<std::vector<int>> users;

    bool pastEnd(size_t byte) const { return byte >= static_cast<size_t>(areaBytes); }
    const ByteRow* find(int row) const;
};

// Bytes a row of `type` with `points` points takes in table t.
int PointBytes(AccessTable t, const std::string& type, int points);

// The map of one direction over every row given (a window gives the run it
// stores, the project every stored row); `rows` must outlive it.
ByteMap ComputeByteMap(const std::vector<AccessRow>& rows, AccessTable t, int areaBytes);

struct ByteMaps {
    ByteMap read, write;
};
ByteMaps ComputeByteMaps(const AccessMap& map, const AccessBounds& bounds);

// "slave 1, Holding Register, address 100, TEMP" (the mnemonic only when set).
std::string RowDescription(const AccessRow& r);

// Warnings for rows past the end (on Address DeviceNet) and rows sharing
// bytes (on the later row, naming the earlier ones); info for unused bytes.
std::vector<Finding> ByteMapFindings(const ByteMap& m);

// The same map as text, runs of bytes with the same rows on one line each.
std::string ByteMapText(const ByteMaps& maps);
std::string ByteMapText(const ByteMap& map); // one direction, without the packing note
std::string ByteMapJson(const ByteMaps& maps);

// "N Byte IN" or "N Byte OUT": the setting that sizes the table's area.
const char* AreaName(AccessTable t);

// The sentence that says how points are packed.
inline constexpr const char* PackingNote =
    "Registers take two bytes a point; coils and inputs take one bit a point, "
    "rounded up to whole bytes.";
