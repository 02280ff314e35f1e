#pragma once
#include "core/project/XmlRows.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// emcydef.xml: per CAN side, the nodes whose EMCY messages are passed to the
// other bus, with their masks and the byte that receives the node ID.

inline constexpr const char* EmcyTableName = "emcydef";

// Attribute, CSV and worksheet column order.
inline const std::array<std::string, 12> EmcyFieldNames = {
    "id_dev",       "mask_eq_ec",   "mask_eq_er",   "mask_eq_m1",   "mask_eq_m2",   "mask_eq_m3",
    "enmask_eq_ec", "enmask_eq_er", "enmask_eq_m1", "enmask_eq_m2", "enmask_eq_m3", "bypass_set"};

inline constexpr int EmcyTextCount = 11;
// Highest translation target the dialog offers (0 = no translation).
inline constexpr int32_t EmcyMaxTarget = 8;
// "" when `target` is one of the dialog's options, else the reason naming the
// group ("Traslate in"); -1 means no option is checked.
std::string CheckEmcyTarget(int32_t target);

// Bit of bypass_set that marks an entry of the "From CAN B" side.
inline constexpr int32_t EmcySideBBit = 32;

class TClEmcy {
public:
    std::string id_dev;
    std::string mask_eq_ec;
    std::string mask_eq_er;
    std::string mask_eq_m1;
    std::string mask_eq_m2;
    std::string mask_eq_m3;
    std::string enmask_eq_ec;
    std::string enmask_eq_er;
    std::string enmask_eq_m1;
    std::string enmask_eq_m2;
    std::string enmask_eq_m3;
    bool TranslateEnabled = false;
    int32_t TranslateTarget = 0;

    // The eleven texts in the order of EmcyFieldNames.
    std::string& text(int field);
    const std::string& text(int field) const;
};

// side 0 = "From CAN A", 1 = "From CAN B".
int32_t PackBypassSet(const TClEmcy& e, int side);
// Sets TranslateEnabled (bit 0) and TranslateTarget (bits 1-4); returns the side (bit 5).
int UnpackBypassSet(int32_t value, TClEmcy& e);

struct EmcyLists {
    std::vector<TClEmcy> EmcyListA;
    std::vector<TClEmcy> EmcyListB;
    std::vector<TClEmcy>& side(int s) { return s ? EmcyListB : EmcyListA; }
    const std::vector<TClEmcy>& side(int s) const { return s ? EmcyListB : EmcyListA; }
};

// How many times "Index Not Valid" is due for an ID on New (isNew) or Modify
// (oldId = the selected row's text), against the texts of the side's rows;
// 0 means accepted. Texts are compared exactly.
int EmcyIdRejections(const std::string& newId, const std::string& oldId,
                     const std::vector<std::string>& rowIds, bool isNew);

// Save order of one side: ascending value of the ID texts, of two equal values
// the later row first. IDs of any size take part. Non-integer text throws
// EConvertError (the first such text in row order).
std::vector<size_t> EmcySaveOrder(const std::vector<std::string>& ids);

using EmcyLoadEnd = RowsLoad;

// Reads emcydef.xml into `into` (cleared first). Empty text attributes become
// "0". On ReadError the rows read before the failing one stay.
EmcyLoadEnd LoadEmcyFile(const std::string& path, EmcyLists& into);

// Whole emcydef.xml text: side A then side B, each in save order. Throws
// EConvertError for an ID that is not an integer.
std::string EmcyDocumentText(const EmcyLists& lists);
void SaveEmcyFile(const std::string& path, const EmcyLists& lists);

// Export lines: side A then side B in list order, the eleven texts then bypass_set.
std::vector<std::vector<std::string>> EmcyCsvLines(const EmcyLists& lists);

// An imported record (12 texts by column, empty cells empty) and its
// bypass_set value; texts are kept as read. Returns the side.
int EmcyFromRecord(int32_t bypassSet, const std::vector<std::string>& fields, TClEmcy& e);
// Appends an imported record to the side its bypass_set value names.
void ImportEmcyRecord(EmcyLists& into, int32_t bypassSet, const std::vector<std::string>& fields);
