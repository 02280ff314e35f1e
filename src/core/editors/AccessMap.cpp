#include "core/editors/AccessMap.h"

#include "core/project/Text.h"

#include "core/model/Project.h"
#include "core/project/CheckedTable.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

#include <cctype>
#include <cstdint>
#include <string_view>

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

} // namespace

std::optional<uint8_t> AccessTypeCode(AccessTable t, const std::string& type) {
    // Codes of the image records; the write table knows two of the four. The
    // four names differ in length, which picks the one to compare.
    static constexpr std::pair<std::string_view, uint8_t> codes[] = {
        {"Coil Status", 1}, {"Input Status", 2}, {"Holding Register", 3}, {"Input Register", 4}};
    for (const auto& [name, code] : codes) {
        if (type.size() != name.size()) continue;
        if (!EqualsAsciiNoCase(type, name)) return std::nullopt;
        if (t == AccessTable::Write && code != 1 && code != 3) return std::nullopt;
        return code;
    }
    return std::nullopt;
}

uint8_t ImageTypeCode(AccessTable t, const std::string& type) {
    return AccessTypeCode(t, type).value_or(3);
}

const char* AccessTableName(AccessTable t) {
    return t == AccessTable::Read ? "read" : "write";
}

AccessBounds ReadAccessBounds(const std::string& pargenPath) {
    const Project p = Project::loadFile(Project::File::Pargen, pargenPath);
    p.params().report.requireReadable();
    return BoundsOf(p.params());
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

AccessMap RunsOf(const AccessMap& map) {
    AccessMap out;
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        const auto& rows = map.rows(t);
        out.rows(t).assign(rows.begin(), rows.begin() + long(RunLength(rows)));
    }
    return out;
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
             {name, int(F::Type),
              [t](const AccessRow& r) { return AccessTypeCode(t, r.Type).has_value(); },
              Info(t).typeMessage},
             {name, int(F::AddressMod), range(&AccessRow::AddressMod, 0, 65535),
              "Address Register must be between 0 and 65535. "},
             {name, int(F::NPoint), range(&AccessRow::NPoint, 1, 127),
              "Number point must be between 1 and 127. "},
             {name, int(F::AddressDeviceNet), range(&AccessRow::AddressDeviceNet, 0, bound),
              "Address DeviceNet must be between 0 and " + std::to_string(bound) + ". "},
             // The check box stores Y, N, or nothing while untouched; the image
             // would read any other text as N.
             {name, int(F::Swap),
              [](const AccessRow& r) {
                  const std::string& s = r.Swap;
                  return s.empty() || s == "Y" || s == "y" || s == "N" || s == "n";
              },
              "SWAP must be Y or N. "}}};
}

void LoadAccessMap(const std::string& path, AccessMap& into) {
    const Project p = Project::loadFile(Project::File::Sdo, path);
    std::string stop;
    into = EditorAccessMap(p.access(), &stop);
    if (!stop.empty()) throw XmlError(stop);
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

Finding AsFinding(AccessFailure f) {
    static const char* const kColumns[] = {
        "Slave ID", "Type", "Address Register", "NPoint", "Address DeviceNet", "SWAP"};
    return {Severity::Error,
            "sdo.xml",
            AccessTableName(f.table),
            static_cast<int>(f.row) + 1,
            kColumns[static_cast<int>(f.field)],
            std::move(f.message)};
}

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
    return Project().accessXml(map);
}

void SaveAccessMap(const AccessMap& map, const std::string& path) {
    Project::loadFile(Project::File::Sdo, path).saveAccessMap(map);
}
