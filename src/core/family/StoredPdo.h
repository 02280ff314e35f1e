#pragma once
// Model of the stored PDO definitions (TFInfopdo): per side the PDOs of the
// PDO translation table, each with the SDO entries that receive its bytes,
// and the virtual SDO keys of the SDO access file that entries must not reuse.
#include "core/family/FamilyTables.h"

#include <functional>
#include <string>
#include <vector>

// One SDO entry; as an SDO key only index and subindex are used.
class TClSdo {
public:
    std::string index;
    std::string subindex;
    std::string poscomp; // byte selection: decimal text of high * 16 + low
};

class TClPdo {
public:
    TClPdo(std::string cobid, int number) : cobid(std::move(cobid)), number(number) {}
    std::string cobid;
    int number; // 1-based position in its side's PDO list
    std::vector<TClSdo> entries;
};

struct StoredPdoSide {
    std::vector<TClSdo> keys;
    std::vector<TClPdo> pdos;
};

struct StoredPdoModel {
    StoredPdoSide side[2]; // CanA, CanB
};

// Positions 0..8 ("none", "B1".."B8") of the two byte selections.
std::string PackPoscomp(int high, int low);
// "" when both positions are choices of the drop-downs (0 "none" .. 8 "B8"),
// else the reason naming the field ("High SDO Byte", "Low SDO Byte").
std::string CheckByteSelection(int high, int low);
// Strict ParseInteger of the text; high = bits 4..7, low = bits 0..3.
std::pair<int, int> UnpackPoscomp(const std::string& text);

// Reads the three files in turn and returns the messages to show, in order.
// sdo.xml gives the keys (conf bit 0 set = CAN B); when it is the access map
// of this gateway (root Serial_to_ProfiBus) it holds no keys and is no error.
// rpdodef.xml gives the PDOs (en_bypass bit 1 clear = CAN A side).
// sdopdo.xml gives the entries (nrpdo bit 7 = CAN B, bits 0..6 = PDO number).
std::vector<std::string> LoadStoredPdo(const std::string& sdoPath, const std::string& rpdodefPath,
                                       const std::string& sdopdoPath, StoredPdoModel& model);

// nrpdo keeps the side in bit 7 and the number in bits 0..6, so only the
// first 127 PDOs of a side can hold entries that read back.
inline constexpr int MaxStoredPdoNumber = 127;
// "" when the PDO with this number may hold entries, else the reason.
std::string CheckStoredPdoNumber(int number);

inline constexpr const char* SdoExistsText = "Index or Subindex Not Valid,Sdo Already Exists";
inline constexpr const char* SdoUsedText = "Index or Subindex Not Valid";

// Key check of a new or modified entry: "" when accepted, else the reason
// (SdoExistsText, SdoUsedText). The entry at (excludedPdo, excludedEntry) is
// not compared (both -1: none). Texts are converted strictly, and only while
// there is something to compare them with (EConvertError).
std::string CheckSdoEntryKey(const std::string& index, const std::string& subindex,
                             const std::vector<TClSdo>& keys, const std::vector<TClPdo>& pdos,
                             int excludedPdo, int excludedEntry);

// Entries of one side in saving order, as (pdo position, entry position):
// ascending index, then subindex; equal keys in model order. Keys above
// 0x999999 (the bound of the original selection) follow all others.
// Throws EConvertError for an index or subindex that is not integer text.
std::vector<std::pair<size_t, size_t>> StoredSaveOrder(const std::vector<TClPdo>& pdos);

std::string SdopdoXml(const StoredPdoModel& model);
// Both throw when an entry sits on a PDO past MaxStoredPdoNumber.
// Throws and leaves the file untouched when an entry does not convert.
void SaveSdopdo(const std::string& path, const StoredPdoModel& model);

// Import: worksheetFound empties every PDO's entry list; a record with
// nrpdo n goes to PDO (n & 127) of side (n bit 7), skipped beyond the side's
// PDO count; PDO number 0 throws (stops the import).
void ClearStoredEntries(StoredPdoModel& model);
void ImportStoredRecord(StoredPdoModel& model, int32_t nrpdo,
                        const std::vector<std::string>& fields);

// sdopdo.csv: per side, PDO by PDO, entry by entry: index, subindex,
// PDO number (+128 on CAN B), byte selection. No title line.
std::vector<std::vector<std::string>> StoredExportLines(const StoredPdoModel& model);
