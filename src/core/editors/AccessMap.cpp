#include "core/editors/AccessMap.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"

#include <cstdint>

namespace {
struct TableInfo {
    const char* element;
    const char* prefix;
    const char* typeMessage;
};

const TableInfo& Info(AccessTable t) {
    static const TableInfo read{
        "DeviceNet_IN", "[DeviceNet IN --> Serial Read]",
        "Type must be Coil Status or Input Status or Holding Register or Input Register"};
    static const TableInfo write{"DeviceNet_OUT", "[Serial Write --> DeviceNet OUT]",
                                 "Type must be Coil Status or Holding Register"};
    return t == AccessTable::Read ? read : write;
}

int BoundFromElement(const XmlNode& root, const char* name) {
    auto node = root.findChild(name);
    if (!node) return DefaultDeviceNetBytes;
    return TryParseInteger(node->text()).value_or(DefaultDeviceNetBytes);
}

bool InRange(const std::string& text, int low, int high) {
    int v = ParseInteger(text, -1);
    return v >= low && v <= high;
}

void LoadTable(const XmlNode& root, AccessTable t, std::vector<AccessRow>& rows) {
    XmlNode table = root.child(Info(t).element);
    size_t n = 0;
    for (auto c = table.raw().first_child(); c && n < AccessMapRows; c = c.next_sibling(), ++n) {
        XmlNode r(c);
        AccessRow row;
        row.SlaveId = r.attr("Slave_ID");
        if (t == AccessTable::Read)
            row.Type = r.attr("Type");
        else
            row.Type = r.findAttr("Type").value_or("Holding Register");
        row.AddressMod = r.attr("Address_Mod");
        row.NPoint = r.attr("NPoint");
        row.Swap = r.findAttr("Swap").value_or("N");
        row.AddressDeviceNet = r.attr("Address_DeviceNet");
        row.Mnemonic = r.attr("Mnemonic");
        rows.push_back(std::move(row));
    }
}

// The checks of the window's OK on one row, in order; `fail` gets the column
// and the message without the row head.
template <class Fail> void CheckRow(const AccessRow& row, AccessTable t, int bound, Fail fail) {
    if (!InRange(row.SlaveId, 1, 250)) fail("Slave ID", "Slave ID must be between 1 and 250. ");
    if (row.Type.empty()) fail("Type", std::string(Info(t).typeMessage) + ". ");
    if (!InRange(row.AddressMod, 0, 65535))
        fail("Address Register", "Address Register must be between 0 and 65535. ");
    if (!InRange(row.NPoint, 1, 127)) fail("NPoint", "Number point must be between 1 and 127. ");
    if (!InRange(row.AddressDeviceNet, 0, bound))
        fail("Address DeviceNet",
             "Address DeviceNet must be between 0 and " + std::to_string(bound) + ". ");
}

// Appends the table's failures until `out` holds `limit` of them.
void TableFailures(const std::vector<AccessRow>& rows, AccessTable t, int bound, size_t limit,
                   std::vector<Finding>& out) {
    const TableInfo& info = Info(t);
    const char* table = AccessTableName(t);
    size_t run = RunLength(rows);
    for (size_t i = 0; i < run && out.size() < limit; ++i) {
        std::string head = "Error row " + std::to_string(i + 1) + "!! " + info.prefix + " ";
        auto fail = [&](const char* column, const std::string& message) {
            out.push_back({Severity::Error, "sdo.xml", table, static_cast<int>(i) + 1, column,
                           head + message});
        };
        CheckRow(rows[i], t, bound, fail);
    }
}

XmlDocument BuildDoc(const AccessMap& map) {
    XmlDocument doc;
    XmlNode root = doc.createRoot("Serial_to_ProfiBus");
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        XmlNode table = root.append(Info(t).element);
        const auto& rows = map.rows(t);
        size_t run = RunLength(rows);
        for (size_t i = 0; i < run; ++i) {
            const AccessRow& row = rows[i];
            XmlNode r = table.append("row");
            r.setAttr("Slave_ID", row.SlaveId);
            r.setAttr("Type", row.Type);
            r.setAttr("Address_Mod", row.AddressMod);
            r.setAttr("NPoint", row.NPoint);
            r.setAttr("Swap", row.Swap);
            r.setAttr("Address_DeviceNet", row.AddressDeviceNet);
            r.setAttr("Mnemonic", row.Mnemonic);
        }
    }
    return doc;
}
} // namespace

const char* AccessTableName(AccessTable t) {
    return t == AccessTable::Read ? "read" : "write";
}

AccessBounds ReadAccessBounds(const std::string& pargenPath) {
    if (!FileExists(pargenPath)) return {};
    XmlDocument doc;
    doc.load(pargenPath);
    return ReadAccessBounds(doc);
}

AccessBounds ReadAccessBounds(const XmlDocument& doc) {
    AccessBounds b;
    XmlNode root = doc.root();
    b.NByteIn = BoundFromElement(root, "DN_NB_IN");
    b.NByteOut = BoundFromElement(root, "DN_NB_OUT");
    return b;
}

std::vector<std::string> AccessRowFailures(const AccessRow& row, AccessTable t, int bound) {
    std::vector<std::string> out;
    CheckRow(row, t, bound, [&](const char*, const std::string& m) { out.push_back(m); });
    return out;
}

size_t RunLength(const std::vector<AccessRow>& rows) {
    size_t n = 0;
    while (n < rows.size() && !rows[n].SlaveId.empty())
        ++n;
    return n;
}

void LoadAccessMap(const std::string& path, AccessMap& into) {
    into.In.clear();
    into.Out.clear();
    if (!FileExists(path)) return;
    XmlDocument doc;
    doc.load(path);
    XmlNode root = doc.root();
    LoadTable(root, AccessTable::Read, into.In);
    LoadTable(root, AccessTable::Write, into.Out);
}

namespace {
std::vector<Finding> Failures(const AccessMap& map, const AccessBounds& bounds, size_t limit) {
    std::vector<Finding> out;
    TableFailures(map.In, AccessTable::Read, bounds.NByteIn, limit, out);
    if (out.size() < limit) TableFailures(map.Out, AccessTable::Write, bounds.NByteOut, limit, out);
    if (out.size() > limit) out.resize(limit);
    return out;
}
} // namespace

std::vector<Finding> AccessMapFindings(const AccessMap& map, const AccessBounds& bounds) {
    return Failures(map, bounds, SIZE_MAX);
}

std::vector<std::string> AccessMapFailures(const AccessMap& map, const AccessBounds& bounds) {
    return Messages(AccessMapFindings(map, bounds));
}

std::optional<Finding> FirstAccessMapFailure(const AccessMap& map, const AccessBounds& bounds) {
    auto first = Failures(map, bounds, 1);
    if (first.empty()) return std::nullopt;
    return first.front();
}

std::optional<std::string> CheckAccessMap(const AccessMap& map, const AccessBounds& bounds) {
    if (auto f = FirstAccessMapFailure(map, bounds)) return f->message;
    return std::nullopt;
}

std::string AccessMapXml(const AccessMap& map) {
    return BuildDoc(map).toString();
}

void SaveAccessMap(const AccessMap& map, const std::string& path) {
    BuildDoc(map).save(path);
}
