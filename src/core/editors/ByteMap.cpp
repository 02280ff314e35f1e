#include "core/editors/ByteMap.h"

#include "core/project/ParseInteger.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

namespace {
using namespace std::string_view_literals;

// The most bytes an area can have; a larger N Byte is an error of pargen.xml.
constexpr int MaxAreaBytes = 455;

std::string Bytes(int first, int last) {
    if (first == last) return "byte " + std::to_string(first);
    return "bytes " + std::to_string(first) + " to " + std::to_string(last);
}

// Bytes(first, last) appended without temporaries: a crowded map names
// thousands of them.
void AppendBytes(std::string& out, int first, int last) {
    char buf[16];
    out += first == last ? "byte "sv : "bytes "sv;
    out.append(buf, size_t(std::to_chars(buf, buf + sizeof buf, first).ptr - buf));
    if (first == last) return;
    out += " to "sv;
    out.append(buf, size_t(std::to_chars(buf, buf + sizeof buf, last).ptr - buf));
}

std::string Range(int first, int last) {
    return first == last ? std::to_string(first)
                         : std::to_string(first) + "-" + std::to_string(last);
}

std::string RowName(const ByteRow& r) {
    std::string s = "row ";
    s += std::to_string(r.row);
    s += " (";
    s += RowDescription(*r.cells);
    s += ')';
    return s;
}
} // namespace

const char* AreaName(AccessTable t) {
    return t == AccessTable::Read ? "N Byte IN" : "N Byte OUT";
}

const ByteRow* ByteMap::find(int row) const {
    for (const auto& r : rows)
        if (r.row == row) return &r;
    return nullptr;
}

int PointBytes(AccessTable t, const std::string& type, int points) {
    // As the image codes the type: coils and inputs are bits, the rest registers.
    const uint8_t code = ImageTypeCode(t, type);
    return code == 1 || code == 2 ? (points + 7) / 8 : 2 * points;
}

std::string RowDescription(const AccessRow& r) {
    std::string s;
    s.reserve(24 + r.SlaveId.size() + r.Type.size() + r.AddressMod.size() + r.Mnemonic.size());
    s += "slave ";
    s += r.SlaveId;
    s += ", ";
    s += r.Type;
    s += ", address ";
    s += r.AddressMod;
    if (!r.Mnemonic.empty()) {
        s += ", ";
        s += r.Mnemonic;
    }
    return s;
}

ByteMap ComputeByteMap(const std::vector<AccessRow>& rows, AccessTable t, int areaBytes) {
    ByteMap m;
    m.table = t;
    m.areaBytes = std::clamp(areaBytes, 0, MaxAreaBytes);
    size_t end = static_cast<size_t>(m.areaBytes);
    for (size_t i = 0; i < rows.size(); ++i) {
        const AccessRow& row = rows[i];
        auto points = TryParseInteger(row.NPoint);
        auto first = TryParseInteger(row.AddressDeviceNet);
        if (!points || *points < 1 || *points > 127) continue;
        if (!first || *first < 0 || *first > m.areaBytes) continue;
        ByteRow r{static_cast<int>(i) + 1, *first, PointBytes(t, row.Type, *points), &row};
        end = std::max(end, static_cast<size_t>(r.first + r.length));
        m.rows.push_back(r);
    }
    m.users.resize(end);
    // Each byte's list made once at its size: crowded bytes have many users.
    std::vector<int> count(end, 0);
    for (const auto& r : m.rows)
        for (int b = r.first; b < r.first + r.length; ++b)
            ++count[static_cast<size_t>(b)];
    for (size_t b = 0; b < end; ++b)
        if (count[b] > 1) m.users[b].reserve(size_t(count[b]));
    for (const auto& r : m.rows)
        for (int b = r.first; b < r.first + r.length; ++b)
            m.users[static_cast<size_t>(b)].push_back(r.row);
    return m;
}

ByteMaps ComputeByteMaps(const AccessMap& map, const AccessBounds& bounds) {
    return {ComputeByteMap(map.In, AccessTable::Read, bounds.NByteIn),
            ComputeByteMap(map.Out, AccessTable::Write, bounds.NByteOut)};
}

std::vector<Finding> ByteMapFindings(const ByteMap& m) {
    std::vector<Finding> out;
    const char* table = AccessTableName(m.table);
    // The earlier rows sharing bytes with a row are those using its first
    // byte and those starting within it, each found once: the cost follows
    // the overlaps found, not the pairs of rows.
    // Rows by first byte, in row order: those of byte b are
    // starting[begin[b]] to starting[begin[b + 1]].
    std::vector<size_t> begin(m.users.size() + 2, 0), starting(m.rows.size());
    for (const ByteRow& r : m.rows)
        ++begin[size_t(r.first) + 2];
    for (size_t b = 2; b < begin.size(); ++b)
        begin[b] += begin[b - 1];
    for (size_t i = 0; i < m.rows.size(); ++i)
        starting[begin[size_t(m.rows[i].first) + 1]++] = i;
    // Placed rows by grid row.
    std::vector<size_t> indexOf(m.rows.empty() ? 0 : size_t(m.rows.back().row) + 1);
    for (size_t i = 0; i < m.rows.size(); ++i)
        indexOf[size_t(m.rows[i].row)] = i;
    std::vector<size_t> earlier;
    // A row named in several warnings is described once.
    std::vector<std::string> names(m.rows.size());
    for (size_t i = 0; i < m.rows.size(); ++i) {
        const ByteRow& r = m.rows[i];
        const int last = r.first + r.length - 1;
        if (last >= m.areaBytes)
            out.push_back({Severity::Warning, "sdo.xml", table, r.row, "Address DeviceNet",
                           "Row " + std::to_string(r.row) + " uses DeviceNet " +
                               Bytes(r.first, last) + ", past the " + std::to_string(m.areaBytes) +
                               " bytes of " + AreaName(m.table) + "."});
        earlier.clear();
        for (int row : m.users[size_t(r.first)]) {
            if (row >= r.row) break;
            earlier.push_back(indexOf[size_t(row)]);
        }
        for (size_t k = begin[size_t(r.first) + 1]; k < begin[size_t(last) + 1]; ++k) {
            const size_t j = starting[k];
            if (j < i) earlier.push_back(j);
        }
        if (earlier.empty()) continue;
        std::sort(earlier.begin(), earlier.end());
        // Built in place: a crowded map gives hundreds of long messages.
        size_t size = 32;
        for (size_t j : earlier) {
            if (names[j].empty()) names[j] = RowName(m.rows[j]);
            size += names[j].size() + 32;
        }
        std::string message;
        message.reserve(size);
        message += "Row "sv;
        message += std::to_string(r.row);
        message += " shares DeviceNet "sv;
        for (size_t k = 0; k < earlier.size(); ++k) {
            const ByteRow& e = m.rows[earlier[k]];
            if (k) message += "; "sv;
            AppendBytes(message, std::max(r.first, e.first),
                        std::min(last, e.first + e.length - 1));
            message += " with "sv;
            message += names[earlier[k]];
        }
        message += '.';
        out.push_back(
            {Severity::Warning, "sdo.xml", table, r.row, "Address DeviceNet", std::move(message)});
    }
    std::string unused;
    int count = 0;
    for (int b = 0; b < m.areaBytes; ++b) {
        if (!m.users[static_cast<size_t>(b)].empty()) continue;
        int e = b;
        while (e + 1 < m.areaBytes && m.users[static_cast<size_t>(e + 1)].empty())
            ++e;
        unused += (unused.empty() ? "" : ", ") + Range(b, e);
        count += e - b + 1;
        b = e;
    }
    if (count)
        out.push_back({Severity::Info, "sdo.xml", table, 0, "",
                       std::to_string(count) + " of the " + std::to_string(m.areaBytes) +
                           " bytes of " + AreaName(m.table) + " are used by no row: " + unused +
                           "."});
    return out;
}

namespace {
void AppendText(const ByteMap& m, std::string& out) {
    out += std::string(AreaName(m.table)) + " = " + std::to_string(m.areaBytes) + " (" +
           AccessTableName(m.table) + " table)\n";
    for (size_t b = 0; b < m.users.size();) {
        size_t e = b;
        while (e + 1 < m.users.size() && m.users[e + 1] == m.users[b] &&
               m.pastEnd(e + 1) == m.pastEnd(b))
            ++e;
        out += "  " + Range(static_cast<int>(b), static_cast<int>(e)) + ": ";
        const auto& users = m.users[b];
        if (users.empty()) out += "unused";
        for (size_t k = 0; k < users.size(); ++k)
            out += (k ? " + " : "") + LineText(RowName(*m.find(users[k])));
        if (users.size() > 1) out += " [overlap]";
        if (m.pastEnd(b)) out += " [past the end]";
        out += "\n";
        b = e + 1;
    }
}

void AppendJson(const ByteMap& m, std::string& out) {
    out += "{\"bytes\": " + std::to_string(m.areaBytes) + ", \"rows\": [";
    for (size_t i = 0; i < m.rows.size(); ++i) {
        const ByteRow& r = m.rows[i];
        const AccessRow& c = *r.cells;
        out += std::string(i ? "," : "") + "\n    {\"row\": " + std::to_string(r.row) +
               ", \"slave\": " + JsonString(c.SlaveId) + ", \"type\": " + JsonString(c.Type) +
               ", \"address\": " + JsonString(c.AddressMod) +
               ", \"points\": " + JsonString(c.NPoint) +
               ", \"mnemonic\": " + JsonString(c.Mnemonic) +
               ", \"first\": " + std::to_string(r.first) +
               ", \"length\": " + std::to_string(r.length) + "}";
    }
    out += std::string(m.rows.empty() ? "" : "\n  ") + "], \"cells\": [";
    for (size_t b = 0; b < m.users.size(); ++b) {
        out += b ? ", [" : "[";
        for (size_t k = 0; k < m.users[b].size(); ++k)
            out += (k ? ", " : "") + std::to_string(m.users[b][k]);
        out += "]";
    }
    out += "]}";
}
} // namespace

std::string ByteMapText(const ByteMaps& maps) {
    std::string out;
    AppendText(maps.read, out);
    AppendText(maps.write, out);
    return out + PackingNote + "\n";
}

std::string ByteMapText(const ByteMap& map) {
    std::string out;
    AppendText(map, out);
    return out;
}

std::string ByteMapJson(const ByteMaps& maps) {
    std::string out = "{\n  \"read\": ";
    AppendJson(maps.read, out);
    out += ",\n  \"write\": ";
    AppendJson(maps.write, out);
    return out + "\n}\n";
}
