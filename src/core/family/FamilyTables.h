#pragma once
// Models of the CANopen family's grid editors: the SDO access table (TFsdo)
// and the PDO translation table (TFpdo). Each keeps a CAN A and a CAN B side
// as rows of cell texts laid out like the grid columns after the fixed
// column 0; the title row and the row numbers are not part of the model.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class FamilyLoad {
    Loaded,
    NotFound,  // no file: nothing placed
    ReadError, // stopped at a faulty entry; the entries placed before stay
};

enum Side { CanA = 0, CanB = 1 };

// ---- SDO access table ------------------------------------------------------

inline constexpr int SdoGridRows = 1500; // entry rows of each grid (row 0 is the title row)
inline constexpr int SdoFields = 8;      // grid columns 1..8
using SdoRow = std::array<std::string, SdoFields>;
// Title cells of row 0, columns 0..8.
inline constexpr std::array<const char*, 9> SdoTitles = {
    "N", "RW", "Index", "Subindex", "devID", "Index", "Subindex", "nbyte", "mnemonico"};

struct SdoAccessTables {
    // Never fewer than SdoGridRows rows a side; more when the file or an
    // import brings more entries of one side (every entry is kept).
    std::vector<SdoRow> rows[2];
    int filled[2] = {0, 0}; // next free row of each side for loading and import

    SdoAccessTables() { clear(); }
    void clear();
    // Places an entry on the side chosen by bit 0 of conf, RW from bit 4;
    // `values` are the texts of grid columns 2..8.
    void place(int32_t conf, std::array<std::string, 7> values);
    // The next row of the side chosen by bit 0 of conf, made if needed.
    SdoRow& nextRow(int32_t conf);
};

// Reads the SDO access schema: every child of the root is an entry with
// conf, IndexA, SubindexA, devIDB, IndexB, SubindexB, nbyteB and an optional
// mnemonico.
FamilyLoad LoadSdoAccess(const std::string& path, SdoAccessTables& tables);

// One import record (worksheet columns 0..7, column 0 being conf).
void ImportSdoRecord(SdoAccessTables& tables, int32_t conf, const std::vector<std::string>& fields);

// sdo.csv: per side the title row and every row, first field the
// direction-and-RW value ("0"/"16" for CAN A, "1"/"17" for CAN B).
std::vector<std::vector<std::string>> SdoExportLines(const SdoAccessTables& tables);

// ---- PDO translation table -------------------------------------------------

inline constexpr int PdoGridRows = 10;
inline constexpr int PdoFields = 5; // grid columns 1..5: cobid, id_dev_orig, flag, posind, n_tpdo
using PdoRow = std::array<std::string, PdoFields>;
inline constexpr std::array<const char*, 6> PdoTitles = {"N",         "cobid",  "id_dev_orig",
                                                         "en_bypass", "posind", "n_tpdo"};
// COB-IDs at or below this bound are ordered exactly as the selection of the
// original saving did; larger ones follow all others.
inline constexpr int32_t PdoCobidBound = 0x999999;

struct PdoTables {
    std::vector<PdoRow> rows[2]; // never fewer than PdoGridRows a side
    int filled[2] = {0, 0};

    PdoTables() { clear(); }
    void clear();
    void place(Side side, const PdoRow& row);
};

// rpdodef.xml: en_bypass bit 1 set = CAN A table, bit 0 = translation flag.
FamilyLoad LoadRpdodef(const std::string& path, PdoTables& tables);

// Rows to save, in saving order: the rows above the first empty COB-ID, by
// ascending COB-ID, equal COB-IDs from the highest row to the lowest.
// Throws EConvertError for a COB-ID that is not integer text.
std::vector<size_t> PdoSaveOrder(const std::vector<PdoRow>& rows);

// The whole rpdodef.xml document text, CAN A rows first ("3"/"2"), then CAN B ("1"/"0").
std::string RpdodefXml(const PdoTables& tables);
// Builds and saves rpdodef.xml; throws and writes nothing on a faulty COB-ID.
void SaveRpdodef(const std::string& path, const PdoTables& tables);

// Import record (worksheet columns 0..4, column 2 the direction value: bit 1
// clear = CAN A, bit 0 = flag).
void ImportPdoRecord(PdoTables& tables, int32_t dir, const std::vector<std::string>& fields);

// rpdodef.csv: per side the title row and every row; flag field "00"/"01"
// (CAN A) or "10"/"11" (CAN B).
std::vector<std::vector<std::string>> PdoExportLines(const PdoTables& tables);
