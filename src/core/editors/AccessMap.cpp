#include "core/editors/AccessMap.h"

#include "core/project/CheckedTable.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/XmlDoc.h"

#include <cstdint>

namespace {
struct TableInfo {
    const char* element;
    const char* name;
    const char* typeMessage;
};

const TableInfo& Info(AccessTable t) {
    static const TableInfo read{
        "DeviceNet_IN", "DeviceNet IN --> Serial Read",
        "Type must be Coil Status or Input Status or Holding Register or Input Register. "};
    static const TableInfo write{"DeviceNet_OUT", "Serial Write --> DeviceNet OUT",
                                 "Type must be Coil Status or Holding Register. "};
    return t == AccessTable::Read ? read : write;
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
    const TableSizes s = ReadTableSizes(pargenPath, "DN_NB_IN", "DN_NB_OUT", DefaultDeviceNetBytes);
    return {s.in, s.out};
}

AccessBounds ReadAccessBounds(const XmlDocument& doc) {
    const TableSizes s = ReadTableSizes(doc, "DN_NB_IN", "DN_NB_OUT", DefaultDeviceNetBytes);
    return {s.in, s.out};
}

std::vector<std::string> AccessRowFailures(const AccessRow& row, AccessTable t, int bound) {
    std::vector<std::string> out;
    for (const auto& c : AccessTableChecks(t, bound).checks)
        if (!c.passes(row)) out.push_back(c.message);
    return out;
}

size_t RunLength(const std::vector<AccessRow>& rows) {
    return CheckedRun(rows, &AccessRow::SlaveId);
}

CheckedTable<AccessRow> AccessTableChecks(AccessTable t, int bound) {
    const char* name = Info(t).name;
    auto range = [](std::string AccessRow::*cell, int low, int high) {
        return [cell, low, high](const AccessRow& r) { return IntegerInRange(r.*cell, low, high); };
    };
    using F = AccessField;
    return {&AccessRow::SlaveId,
            {{name, int(F::SlaveId), range(&AccessRow::SlaveId, 1, 250),
              "Slave ID must be between 1 and 250. "},
             {name, int(F::Type), [](const AccessRow& r) { return !r.Type.empty(); },
              Info(t).typeMessage},
             {name, int(F::AddressMod), range(&AccessRow::AddressMod, 0, 65535),
              "Address Register must be between 0 and 65535. "},
             {name, int(F::NPoint), range(&AccessRow::NPoint, 1, 127),
              "Number point must be between 1 and 127. "},
             {name, int(F::AddressDeviceNet), range(&AccessRow::AddressDeviceNet, 0, bound),
              "Address DeviceNet must be between 0 and " + std::to_string(bound) + ". "}}};
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

std::vector<AccessFailure> LocatedAccessFailures(const AccessMap& map, const AccessBounds& bounds,
                                                 size_t limit) {
    std::vector<AccessFailure> out;
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        std::vector<CheckFailure> found;
        const int bound = t == AccessTable::Read ? bounds.NByteIn : bounds.NByteOut;
        AppendFailures(AccessTableChecks(t, bound), map.rows(t), limit - out.size(), found);
        for (CheckFailure& f : found)
            out.push_back({t, f.row, AccessField(f.field), std::move(f.message)});
    }
    return out;
}

namespace {
Finding AsFinding(AccessFailure f) {
    static const char* const kColumns[] = {"Slave ID", "Type", "Address Register", "NPoint",
                                           "Address DeviceNet"};
    return {Severity::Error,
            "sdo.xml",
            AccessTableName(f.table),
            static_cast<int>(f.row) + 1,
            kColumns[static_cast<int>(f.field)],
            std::move(f.message)};
}
} // namespace

std::vector<Finding> AccessMapFindings(const AccessMap& map, const AccessBounds& bounds) {
    std::vector<Finding> out;
    for (auto& f : LocatedAccessFailures(map, bounds))
        out.push_back(AsFinding(std::move(f)));
    return out;
}

std::vector<std::string> AccessMapFailures(const AccessMap& map, const AccessBounds& bounds) {
    std::vector<std::string> out;
    for (auto& f : LocatedAccessFailures(map, bounds))
        out.push_back(std::move(f.message));
    return out;
}

std::optional<std::string> CheckAccessMap(const AccessMap& map, const AccessBounds& bounds) {
    auto first = LocatedAccessFailures(map, bounds, 1);
    if (first.empty()) return std::nullopt;
    return first.front().message;
}

std::string AccessMapXml(const AccessMap& map) {
    return BuildDoc(map).toString();
}

void SaveAccessMap(const AccessMap& map, const std::string& path) {
    BuildDoc(map).save(path);
}
