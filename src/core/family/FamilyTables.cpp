#include "core/family/FamilyTables.h"

#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"
#include "core/project/XmlRows.h"

namespace {
FamilyLoad Ended(RowsLoad end) {
    return end == RowsLoad::Loaded        ? FamilyLoad::Loaded
           : end == RowsLoad::FileMissing ? FamilyLoad::NotFound
                                          : FamilyLoad::ReadError;
}

template <class Row> Row& NextRow(std::vector<Row>& rows, int& filled) {
    if (filled >= int(rows.size())) rows.resize(size_t(filled) + 1);
    return rows[size_t(filled++)];
}

template <class Row> void Place(std::vector<Row>& rows, int& filled, Row row) {
    NextRow(rows, filled) = std::move(row);
}
} // namespace

// ---- SDO access table ------------------------------------------------------

void SdoAccessTables::clear() {
    for (int s = 0; s < 2; ++s) {
        rows[s].clear();
        rows[s].resize(SdoGridRows);
        filled[s] = 0;
    }
}

void SdoAccessTables::place(int32_t conf, std::array<std::string, 7> values) {
    const int side = conf & 1;
    SdoRow row;
    row[0].assign(1, (conf & 16) ? '1' : '0');
    std::move(values.begin(), values.end(), row.begin() + 1);
    Place(rows[side], filled[side], std::move(row));
}

SdoRow& SdoAccessTables::nextRow(int32_t conf) {
    const int side = conf & 1;
    return NextRow(rows[side], filled[side]);
}

FamilyLoad LoadSdoAccess(const std::string& path, SdoAccessTables& tables) {
    return Ended(LoadRows(path, [&](const XmlNode& e) {
        const int32_t conf = ParseInteger(e.attr("conf"));
        tables.place(conf,
                     {e.attr("IndexA"), e.attr("SubindexA"), e.attr("devIDB"), e.attr("IndexB"),
                      e.attr("SubindexB"), e.attr("nbyteB"), e.findAttr("mnemonico").value_or("")});
    }));
}

void ImportSdoRecord(SdoAccessTables& tables, int32_t conf, const std::vector<std::string>& f) {
    // Fields copied straight into the row; a record short of fields fails
    // as place would, before anything is placed.
    for (size_t k = 1; k < SdoFields; ++k)
        (void)f.at(k);
    SdoRow& row = tables.nextRow(conf);
    row[0].assign(1, (conf & 16) ? '1' : '0');
    for (size_t k = 1; k < SdoFields; ++k)
        row[k] = f[k];
}

std::vector<std::vector<std::string>> SdoExportLines(const SdoAccessTables& tables) {
    std::vector<std::vector<std::string>> lines;
    for (int side = 0; side < 2; ++side) {
        auto line = [&](const std::string& rw, const SdoRow* row, const char* const* titles) {
            std::vector<std::string> out{rw == "1" ? (side ? "17" : "16") : (side ? "1" : "0")};
            for (int c = 1; c < SdoFields; ++c)
                out.push_back(row ? (*row)[size_t(c)] : titles[c + 1]);
            lines.push_back(std::move(out));
        };
        line(SdoTitles[1], nullptr, SdoTitles.data());
        for (const auto& row : tables.rows[side])
            line(row[0], &row, nullptr);
    }
    return lines;
}

// ---- PDO translation table -------------------------------------------------

void PdoTables::clear() {
    for (int s = 0; s < 2; ++s) {
        rows[s].assign(PdoGridRows, PdoRow{});
        filled[s] = 0;
    }
}

void PdoTables::place(Side side, const PdoRow& row) {
    Place(rows[side], filled[side], row);
}

FamilyLoad LoadRpdodef(const std::string& path, PdoTables& tables) {
    return Ended(LoadRows(path, [&](const XmlNode& e) {
        const int32_t en = ParseInteger(e.attr("en_bypass"));
        PdoRow row{e.attr("cobid"), e.attr("id_dev_orig"), (en & 1) ? "1" : "0", e.attr("posind"),
                   e.attr("n_tpdo")};
        tables.place((en & 2) ? CanA : CanB, row);
    }));
}

std::vector<size_t> PdoSaveOrder(const std::vector<PdoRow>& rows) {
    std::vector<int32_t> cobids;
    for (size_t r = 0; r < rows.size() && !rows[r][0].empty(); ++r)
        cobids.push_back(ParseInteger(rows[r][0]));
    return SaveOrder(cobids);
}

namespace {
XmlDocument RpdodefDocument(const PdoTables& tables) {
    XmlDocument doc;
    XmlNode root = doc.createRoot("rpdodef");
    for (int side = 0; side < 2; ++side) {
        const auto& rows = tables.rows[side];
        for (size_t r : PdoSaveOrder(rows)) {
            const PdoRow& row = rows[r];
            XmlNode e = root.append("row");
            e.setAttr("cobid", row[0]);
            e.setAttr("id_dev_orig", row[1]);
            const bool on = row[2] == "1";
            e.setAttr("en_bypass", side == CanA ? (on ? "3" : "2") : (on ? "1" : "0"));
            e.setAttr("posind", row[3]);
            e.setAttr("n_tpdo", row[4]);
        }
    }
    return doc;
}
} // namespace

std::string RpdodefXml(const PdoTables& tables) {
    return RpdodefDocument(tables).toString();
}

void SaveRpdodef(const std::string& path, const PdoTables& tables) {
    RpdodefDocument(tables).save(path);
}

void ImportPdoRecord(PdoTables& tables, int32_t dir, const std::vector<std::string>& f) {
    tables.place((dir & 2) ? CanB : CanA,
                 {f.at(0), f.at(1), (dir & 1) ? "1" : "0", f.at(3), f.at(4)});
}

std::vector<std::vector<std::string>> PdoExportLines(const PdoTables& tables) {
    std::vector<std::vector<std::string>> lines;
    for (int side = 0; side < 2; ++side) {
        const std::string off = side ? "10" : "00", on = side ? "11" : "01";
        lines.push_back({PdoTitles[1], PdoTitles[2], off, PdoTitles[4], PdoTitles[5]});
        for (const auto& r : tables.rows[side])
            lines.push_back({r[0], r[1], r[2] == "1" ? on : off, r[3], r[4]});
    }
    return lines;
}
