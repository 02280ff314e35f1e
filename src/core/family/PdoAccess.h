#pragma once
#include "core/project/CheckedTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// pdo.xml: Profibus input bytes to transmit PDOs and receive PDOs to Profibus
// output bytes, one list each.

inline constexpr const char* PdoRootName = "Profibus_to_PDO";
inline constexpr const char* PdoInListName = "Profi_IN_to_TPDO";
inline constexpr const char* PdoOutListName = "Profi_OUT_to_TPDO";

// Size of a Profibus area when pargen.xml does not give one.
inline constexpr int32_t DefaultProfiAreaSize = 244;

// One table row: the grid's cells as typed ("Cob-ID", "Dimension",
// "Address ProfiBus", "Mnemonic").
struct PdoAccessRow {
    std::string cobId;
    std::string dimension;
    std::string pos;
    std::string mnemonic;
    bool operator==(const PdoAccessRow&) const = default;
};

struct PdoAccessTables {
    std::vector<PdoAccessRow> in;
    std::vector<PdoAccessRow> out;
};

struct PdoAreaSizes {
    int32_t in = DefaultProfiAreaSize;
    int32_t out = DefaultProfiAreaSize;
};

// Profi_NB_IN / Profi_NB_OUT of pargen.xml; 244 for a missing file, a missing
// element or a text that is not an integer. A file that cannot be read
// throws XmlError (the caller reports it and goes on with 244).
PdoAreaSizes ReadPdoAreaSizes(const std::string& pargenPath);

// How a stored COB-ID is shown: "$" and at least three upper-case hex digits;
// text that is not an integer shows as $000.
std::string CobIdDisplay(std::string_view stored);

// Reads pdo.xml into `into` (cleared first), COB-IDs already in display form.
// A row without one of its four attributes, a missing list or a malformed
// file throws XmlError; the rows read until then stay in `into`.
void LoadPdoFile(const std::string& path, PdoAccessTables& into);

enum class PdoSide { In, Out };

// The checks of one table, `area` the size of its Profibus area; each
// check's field is the grid column of its cell (1 Cob-ID, 2 Dimension,
// 3 Address ProfiBus).
CheckedTable<PdoAccessRow> PdoTableChecks(PdoSide side, int32_t area);

// Checks of OK, input table first. Every row from the first down to the
// first empty "Cob-ID" is checked; rows are numbered from 1. The first
// failure's message, or nothing when all pass.
std::optional<std::string> CheckPdoTables(const PdoAccessTables& tables, PdoAreaSizes sizes);

// The rows OK stores: from the first down to the first whose "Cob-ID" is
// empty or not above 0 (strict conversion, so non-integer text throws
// EConvertError; the checks run first and exclude it).
std::vector<PdoAccessRow> PdoRowsToSave(const std::vector<PdoAccessRow>& rows);

void SavePdoFile(const std::string& path, const PdoAccessTables& tables);
