#include "core/family/PdoAccess.h"

#include "core/model/Project.h"
#include "core/project/Errors.h"

#include "core/project/CheckedTable.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"

#include <cstdio>

namespace {
const char* const kInTable = "ProfiBus IN --> Transmit PDO";
const char* const kInSumTable = "ProfiBus IN --> SDO in Read";
const char* const kOutTable = "Recive PDO --> ProfiBub OUT";

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
    const Project p = Project::loadFile(Project::File::Pargen, pargenPath);
    p.params().report.requireReadable();
    const ProfiSizes s = ProfiSizesOf(p.params());
    return {s.in, s.out};
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

CheckedTable<PdoAccessRow> PdoTableChecks(PdoSide side, int32_t area) {
    const bool in = side == PdoSide::In;
    const char* table = in ? kInTable : kOutTable;
    auto range = [](std::string PdoAccessRow::*cell, int64_t low, int64_t high) {
        return
            [cell, low, high](const PdoAccessRow& r) { return IntegerInRange(r.*cell, low, high); };
    };
    // 64-bit sum: an area size near the 32-bit limit must not wrap.
    auto fits = [area](const PdoAccessRow& r) {
        return int64_t(ParseInteger(r.pos, -1)) + ParseInteger(r.dimension, -1) <= area;
    };
    // The output table's Cob-Id text has two blanks.
    return {&PdoAccessRow::cobId,
            {{table, 1, range(&PdoAccessRow::cobId, 1, 2047),
              std::string(in ? "CANOpen Cob-Id" : "CANOpen Cob-Id ") +
                  " must be between 0x001 and 0x7FF. "},
             {table, 2, range(&PdoAccessRow::dimension, 1, 8),
              "CANOpen Dimension must be between 1 and 8. "},
             {table, 3, range(&PdoAccessRow::pos, 0, area),
              "Address Profibus must be between 0 and " + std::to_string(area) + ". "},
             {in ? kInSumTable : kOutTable, 3, fits,
              std::string("Address Profibus plus Dimension is major of ") +
                  (in ? "N BYTE IN" : "N BYTE OUT") + " (" + std::to_string(area) + "). "}}};
}

std::optional<std::string> CheckPdoTables(const PdoAccessTables& tables, PdoAreaSizes sizes) {
    std::vector<CheckFailure> first;
    AppendFailures(PdoTableChecks(PdoSide::In, sizes.in), tables.in, 1, first);
    AppendFailures(PdoTableChecks(PdoSide::Out, sizes.out), tables.out, 1, first);
    if (first.empty()) return std::nullopt;
    return first.front().message;
}

std::vector<PdoAccessRow> PdoRowsToSave(const std::vector<PdoAccessRow>& rows) {
    std::vector<PdoAccessRow> out;
    for (const PdoAccessRow& r : rows) {
        if (r.cobId.empty() || ParseInteger(r.cobId) <= 0) break;
        out.push_back(r);
    }
    return out;
}

void SavePdoFile(const std::string& path, const PdoAccessTables& tables) {
    BuildDocument(tables).save(path);
}
