#include "core/family/StoredPdo.h"

#include "core/project/Errors.h"
#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"
#include "core/project/XmlRows.h"

#include <algorithm>

namespace {
// Where an nrpdo value points: side and 0-based PDO position, or -1 to skip.
std::pair<int, int> PdoOf(const StoredPdoModel& m, int32_t n) {
    const int side = (n & 128) ? CanB : CanA;
    const int number = n & 127;
    if (number == 0) throw TessaroError("PDO number 0");
    if (number > int(m.side[side].pdos.size())) return {side, -1};
    return {side, number - 1};
}
} // namespace

std::string CheckStoredPdoNumber(int number) {
    if (number >= 1 && number <= MaxStoredPdoNumber) return {};
    return "PDO " + std::to_string(number) + " cannot hold SDO entries: only PDOs 1 to " +
           std::to_string(MaxStoredPdoNumber) + " of a side can be stored";
}

std::string PackPoscomp(int high, int low) {
    // A blank selection counts as "none".
    return std::to_string(std::max(high, 0) * 16 + std::max(low, 0));
}

std::string CheckByteSelection(int high, int low) {
    for (auto [value, field] : {std::pair{high, "High SDO Byte"}, std::pair{low, "Low SDO Byte"}})
        if (value < 0 || value > 8)
            return std::string(field) + ": the stored position " + std::to_string(value) +
                   " is none of \"none\", \"B1\" .. \"B8\"; choose one";
    return {};
}

std::pair<int, int> UnpackPoscomp(const std::string& text) {
    const int32_t v = ParseInteger(text);
    return {(v >> 4) & 15, v & 15};
}

std::vector<std::string> LoadStoredPdo(const std::string& sdoPath, const std::string& rpdodefPath,
                                       const std::string& sdopdoPath, StoredPdoModel& model) {
    std::vector<std::string> messages;
    model = StoredPdoModel{};

    // Each file that cannot be read is named, and the next one is read all the same.
    auto read = [&](const std::string& path, const std::string& file, std::string_view otherRoot,
                    const std::function<void(const XmlNode&)>& eachRow) {
        const RowsLoad end = LoadRows(path, eachRow, otherRoot);
        if (end == RowsLoad::FileMissing) messages.push_back("File " + file + " XML not found");
        if (end == RowsLoad::ReadError)
            messages.push_back("Error in reading file " + file + " XML");
    };
    // The gateway's own access map shares the name and has no SDO keys.
    read(sdoPath, "SDO", "Serial_to_ProfiBus", [&](const XmlNode& e) {
        TClSdo key{e.attr("IndexA"), e.attr("SubindexA"), {}};
        const int32_t conf = ParseInteger(e.attr("conf"));
        model.side[(conf & 1) ? CanB : CanA].keys.push_back(std::move(key));
    });
    read(rpdodefPath, "PDO", {}, [&](const XmlNode& e) {
        const int32_t en = ParseInteger(e.attr("en_bypass"));
        auto& pdos = model.side[(en & 2) ? CanB : CanA].pdos;
        pdos.emplace_back(e.attr("cobid"), int(pdos.size()) + 1);
    });
    read(sdopdoPath, "SDOPDO", {}, [&](const XmlNode& e) {
        auto [side, pdo] = PdoOf(model, ParseInteger(e.attr("nrpdo")));
        if (pdo < 0) return;
        TClSdo entry{e.attr("index"), e.attr("subindex"), e.attr("poscomp")};
        model.side[side].pdos[size_t(pdo)].entries.push_back(std::move(entry));
    });
    return messages;
}

std::string CheckSdoEntryKey(const std::string& index, const std::string& subindex,
                             const std::vector<TClSdo>& keys, const std::vector<TClPdo>& pdos,
                             int excludedPdo, int excludedEntry) {
    for (const auto& k : keys)
        if (ParseInteger(k.index) == ParseInteger(index) &&
            ParseInteger(k.subindex) == ParseInteger(subindex))
            return SdoExistsText;
    for (size_t p = 0; p < pdos.size(); ++p)
        for (size_t e = 0; e < pdos[p].entries.size(); ++e) {
            const TClSdo& s = pdos[p].entries[e];
            if (ParseInteger(s.index) == ParseInteger(index) &&
                ParseInteger(s.subindex) == ParseInteger(subindex)) {
                const bool excluded = excludedPdo != -1 && excludedEntry != -1 &&
                                      int(p) == excludedPdo && int(e) == excludedEntry;
                if (!excluded) return SdoUsedText;
            }
        }
    return {};
}

std::vector<std::pair<size_t, size_t>> StoredSaveOrder(const std::vector<TClPdo>& pdos) {
    struct Keyed {
        int32_t index, subindex;
        size_t pdo, entry;
    };
    std::vector<Keyed> all;
    for (size_t p = 0; p < pdos.size(); ++p)
        for (size_t e = 0; e < pdos[p].entries.size(); ++e)
            all.push_back({ParseInteger(pdos[p].entries[e].index),
                           ParseInteger(pdos[p].entries[e].subindex), p, e});
    std::stable_sort(all.begin(), all.end(), [](const Keyed& a, const Keyed& b) {
        return a.index != b.index ? a.index < b.index : a.subindex < b.subindex;
    });
    std::vector<std::pair<size_t, size_t>> order;
    for (const auto& k : all)
        order.emplace_back(k.pdo, k.entry);
    return order;
}

namespace {
XmlDocument SdopdoDocument(const StoredPdoModel& model) {
    XmlDocument doc;
    XmlNode root = doc.createRoot("sdopdo");
    for (int side = 0; side < 2; ++side) {
        const auto& pdos = model.side[side].pdos;
        for (auto [p, e] : StoredSaveOrder(pdos)) {
            const TClSdo& s = pdos[p].entries[e];
            // The reader would take such a number for the other side or refuse it.
            if (auto why = CheckStoredPdoNumber(pdos[p].number); !why.empty())
                throw TessaroError(why);
            XmlNode row = root.append("row");
            row.setAttr("index", s.index);
            row.setAttr("subindex", s.subindex);
            row.setAttr("nrpdo", std::to_string(pdos[p].number + (side == CanB ? 128 : 0)));
            row.setAttr("poscomp", s.poscomp);
        }
    }
    return doc;
}
} // namespace

std::string SdopdoXml(const StoredPdoModel& model) {
    return SdopdoDocument(model).toString();
}

void SaveSdopdo(const std::string& path, const StoredPdoModel& model) {
    SdopdoDocument(model).save(path);
}

void ClearStoredEntries(StoredPdoModel& model) {
    for (auto& side : model.side)
        for (auto& pdo : side.pdos)
            pdo.entries.clear();
}

void ImportStoredRecord(StoredPdoModel& model, int32_t nrpdo, const std::vector<std::string>& f) {
    auto [side, pdo] = PdoOf(model, nrpdo);
    if (pdo < 0) return;
    model.side[side].pdos[size_t(pdo)].entries.push_back({f.at(0), f.at(1), f.at(3)});
}

std::vector<std::vector<std::string>> StoredExportLines(const StoredPdoModel& model) {
    std::vector<std::vector<std::string>> lines;
    for (int side = 0; side < 2; ++side)
        for (const auto& pdo : model.side[side].pdos)
            for (const auto& s : pdo.entries)
                lines.push_back({s.index, s.subindex,
                                 std::to_string(pdo.number + (side == CanB ? 128 : 0)), s.poscomp});
    return lines;
}
