#include "core/family/PdoAccess.h"

#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"

#include <cstdio>

namespace {
const char* const kInTable = "ProfiBus IN --> Transmit PDO";
const char* const kInSumTable = "ProfiBus IN --> SDO in Read";
const char* const kOutTable = "Recive PDO --> ProfiBub OUT";

int32_t AreaSize(const XmlNode& root, std::string_view name) {
    auto e = root.findChild(name);
    if (!e) return DefaultProfiAreaSize;
    return TryParseInteger(e->text()).value_or(DefaultProfiAreaSize);
}

void ReadList(const XmlNode& root, const char* name, std::vector<PdoAccessRow>& rows) {
    XmlNode list = root.child(name);
    const size_t n = list.childCount();
    for (size_t i = 0; i < n; ++i) {
        XmlNode r = list.child(i);
        PdoAccessRow row;
        row.cobId = CobIdDisplay(r.attr("Cob_Id"));
        row.dimension = r.attr("Dimension");
        row.pos = r.attr("Pos_PRofi");
        row.mnemonic = r.attr("Mnemonic");
        rows.push_back(std::move(row));
    }
}

struct TableTexts {
    const char* table;
    const char* sumTable;
    const char* cobIdWhat; // the output table's text has two blanks
    const char* sumWhat;
};

std::optional<std::string> CheckRows(const std::vector<PdoAccessRow>& rows, int32_t area,
                                     const TableTexts& t) {
    for (size_t i = 0; i < rows.size() && !rows[i].cobId.empty(); ++i) {
        const PdoAccessRow& r = rows[i];
        const std::string head = "Error row " + std::to_string(i + 1) + "!! [";
        const int64_t cob = ParseInteger(r.cobId, -1);
        const int64_t dim = ParseInteger(r.dimension, -1);
        const int64_t pos = ParseInteger(r.pos, -1);
        if (cob < 1 || cob > 2047)
            return head + t.table + "] " + t.cobIdWhat + " must be between 0x001 and 0x7FF. ";
        if (dim < 1 || dim > 8)
            return head + t.table + "] CANOpen Dimension must be between 1 and 8. ";
        if (pos < 0 || pos > area)
            return head + t.table + "] Address Profibus must be between 0 and " +
                   std::to_string(area) + ". ";
        // 64-bit sum: an area size near the 32-bit limit must not wrap.
        if (pos + dim > area)
            return head + t.sumTable + "] Address Profibus plus Dimension is major of " +
                   t.sumWhat + " (" + std::to_string(area) + "). ";
    }
    return std::nullopt;
}

void WriteList(XmlNode root, const char* name, const std::vector<PdoAccessRow>& rows) {
    XmlNode list = root.append(name);
    for (const PdoAccessRow& r : PdoRowsToSave(rows)) {
        XmlNode row = list.append("row");
        row.setAttr("Cob_Id", r.cobId);
        row.setAttr("Dimension", r.dimension);
        row.setAttr("Pos_PRofi", r.pos);
        row.setAttr("Mnemonic", r.mnemonic);
    }
}

XmlDocument BuildDocument(const PdoAccessTables& tables) {
    XmlDocument doc;
    XmlNode root = doc.createRoot(PdoRootName);
    WriteList(root, PdoInListName, tables.in);
    WriteList(root, PdoOutListName, tables.out);
    return doc;
}
} // namespace

PdoAreaSizes ReadPdoAreaSizes(const std::string& pargenPath) {
    PdoAreaSizes sizes;
    if (!FileExists(pargenPath)) return sizes;
    XmlDocument doc;
    doc.load(pargenPath);
    XmlNode root = doc.root();
    sizes.in = AreaSize(root, "Profi_NB_IN");
    sizes.out = AreaSize(root, "Profi_NB_OUT");
    return sizes;
}

std::string CobIdDisplay(std::string_view stored) {
    const auto v = static_cast<uint32_t>(ParseInteger(stored, 0));
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%03X", static_cast<unsigned>(v));
    return buf;
}

void LoadPdoFile(const std::string& path, PdoAccessTables& into) {
    into = PdoAccessTables{};
    XmlDocument doc;
    doc.load(path);
    XmlNode root = doc.root();
    ReadList(root, PdoInListName, into.in);
    ReadList(root, PdoOutListName, into.out);
}

std::optional<std::string> CheckPdoTables(const PdoAccessTables& tables, PdoAreaSizes sizes) {
    if (auto m =
            CheckRows(tables.in, sizes.in, {kInTable, kInSumTable, "CANOpen Cob-Id", "N BYTE IN"}))
        return m;
    return CheckRows(tables.out, sizes.out,
                     {kOutTable, kOutTable, "CANOpen Cob-Id ", "N BYTE OUT"});
}

std::vector<PdoAccessRow> PdoRowsToSave(const std::vector<PdoAccessRow>& rows) {
    std::vector<PdoAccessRow> out;
    for (const PdoAccessRow& r : rows) {
        if (r.cobId.empty() || ParseInteger(r.cobId) <= 0) break;
        out.push_back(r);
    }
    return out;
}

std::string PdoDocumentText(const PdoAccessTables& tables) {
    return BuildDocument(tables).toString();
}

void SavePdoFile(const std::string& path, const PdoAccessTables& tables) {
    BuildDocument(tables).save(path);
}
