#include "core/family/EmcyTable.h"

#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"

#include <algorithm>
#include <stdexcept>

namespace {
using TextField = std::string TClEmcy::*;
constexpr std::array<TextField, EmcyTextCount> kTexts = {
    &TClEmcy::id_dev,       &TClEmcy::mask_eq_ec,   &TClEmcy::mask_eq_er,   &TClEmcy::mask_eq_m1,
    &TClEmcy::mask_eq_m2,   &TClEmcy::mask_eq_m3,   &TClEmcy::enmask_eq_ec, &TClEmcy::enmask_eq_er,
    &TClEmcy::enmask_eq_m1, &TClEmcy::enmask_eq_m2, &TClEmcy::enmask_eq_m3};

std::vector<std::string> Ids(const std::vector<TClEmcy>& list) {
    std::vector<std::string> ids;
    ids.reserve(list.size());
    for (const TClEmcy& e : list)
        ids.push_back(e.id_dev);
    return ids;
}

XmlDocument BuildDocument(const EmcyLists& lists) {
    XmlDocument doc;
    XmlNode root = doc.createRoot(EmcyTableName);
    for (int side = 0; side < 2; ++side) {
        const std::vector<TClEmcy>& list = lists.side(side);
        for (size_t i : EmcySaveOrder(Ids(list))) {
            XmlNode row = root.append("row");
            for (int f = 0; f < EmcyTextCount; ++f)
                row.setAttr(EmcyFieldNames[f], list[i].text(f));
            row.setAttr(EmcyFieldNames[11], std::to_string(PackBypassSet(list[i], side)));
        }
    }
    return doc;
}
} // namespace

std::string& TClEmcy::text(int field) {
    return this->*kTexts.at(static_cast<size_t>(field));
}

const std::string& TClEmcy::text(int field) const {
    return this->*kTexts.at(static_cast<size_t>(field));
}

int32_t PackBypassSet(const TClEmcy& e, int side) {
    return ((e.TranslateTarget & 15) << 1) | (e.TranslateEnabled ? 1 : 0) |
           (side ? EmcySideBBit : 0);
}

int UnpackBypassSet(int32_t value, TClEmcy& e) {
    e.TranslateEnabled = (value & 1) != 0;
    e.TranslateTarget = (value >> 1) & 15;
    return (value & EmcySideBBit) ? 1 : 0;
}

int EmcyIdRejections(const std::string& newId, const std::string& oldId,
                     const std::vector<std::string>& rowIds, bool isNew) {
    if (!isNew && newId == oldId) return 0;
    int shown = newId.empty() ? 1 : 0;
    if (std::find(rowIds.begin(), rowIds.end(), newId) != rowIds.end()) ++shown;
    return shown;
}

std::vector<size_t> EmcySaveOrder(const std::vector<std::string>& ids) {
    std::vector<int32_t> values;
    values.reserve(ids.size());
    for (const std::string& id : ids)
        values.push_back(ParseInteger(id));
    return SaveOrder(values);
}

EmcyLoadEnd LoadEmcyFile(const std::string& path, EmcyLists& into) {
    into = EmcyLists{};
    return LoadRows(path, [&](const XmlNode& row) {
        TClEmcy e;
        for (int f = 0; f < EmcyTextCount; ++f) {
            e.text(f) = row.attr(EmcyFieldNames[f]);
            if (e.text(f).empty()) e.text(f).assign(1, '0');
        }
        const int side = UnpackBypassSet(ParseInteger(row.attr(EmcyFieldNames[11])), e);
        into.side(side).push_back(std::move(e));
    });
}

std::string EmcyDocumentText(const EmcyLists& lists) {
    return BuildDocument(lists).toString();
}

void SaveEmcyFile(const std::string& path, const EmcyLists& lists) {
    BuildDocument(lists).save(path);
}

std::vector<std::vector<std::string>> EmcyCsvLines(const EmcyLists& lists) {
    std::vector<std::vector<std::string>> lines;
    for (int side = 0; side < 2; ++side)
        for (const TClEmcy& e : lists.side(side)) {
            std::vector<std::string> line;
            for (int f = 0; f < EmcyTextCount; ++f)
                line.push_back(e.text(f));
            line.push_back(std::to_string(PackBypassSet(e, side)));
            lines.push_back(std::move(line));
        }
    return lines;
}

int EmcyFromRecord(int32_t bypassSet, const std::vector<std::string>& fields, TClEmcy& e) {
    if (fields.size() < EmcyFieldNames.size()) throw std::invalid_argument("short EMCY record");
    for (int f = 0; f < EmcyTextCount; ++f)
        e.text(f) = fields[static_cast<size_t>(f)];
    return UnpackBypassSet(bypassSet, e);
}

void ImportEmcyRecord(EmcyLists& into, int32_t bypassSet, const std::vector<std::string>& fields) {
    TClEmcy e;
    const int side = EmcyFromRecord(bypassSet, fields, e);
    into.side(side).push_back(std::move(e));
}

std::string CheckEmcyTarget(int32_t target) {
    if (target >= 0 && target <= EmcyMaxTarget) return {};
    return "Traslate in: choose one of the options";
}
