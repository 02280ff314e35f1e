#pragma once
#include "core/editors/Finding.h"
#include "core/project/CheckedTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One Modbus request of the access map; every value as typed in its cell.
struct AccessRow {
    std::string SlaveId;
    std::string Type;
    std::string AddressMod;
    std::string NPoint;
    std::string Swap;
    std::string AddressDeviceNet;
    std::string Mnemonic;

    bool operator==(const AccessRow&) const = default;
};

enum class AccessTable { Read, Write };
// "read" or "write", the table of a finding.
const char* AccessTableName(AccessTable t);

// The two tables of sdo.xml. Each holds the rows as the grid does; only the
// run from the first row down to the first empty Slave ID counts (RunLength).
struct AccessMap {
    std::vector<AccessRow> In;  // read table, DeviceNet_IN
    std::vector<AccessRow> Out; // write table, DeviceNet_OUT

    std::vector<AccessRow>& rows(AccessTable t) { return t == AccessTable::Read ? In : Out; }
    const std::vector<AccessRow>& rows(AccessTable t) const {
        return t == AccessTable::Read ? In : Out;
    }
};

// Rows a table can hold.
inline constexpr int AccessMapRows = 455;

inline const std::vector<std::string> ReadTypeItems = {"Coil Status", "Input Status",
                                                       "Holding Register", "Input Register"};
inline const std::vector<std::string> WriteTypeItems = {"Coil Status", "Holding Register"};

// The image's code of a Type (1 Coil Status, 2 Input Status, 3 Holding
// Register, 4 Input Register), letter case aside; nothing for a text that is
// not in the table's list.
std::optional<uint8_t> AccessTypeCode(AccessTable t, const std::string& type);
// What the image writes: a text outside the list is coded as Holding Register.
uint8_t ImageTypeCode(AccessTable t, const std::string& type);

// Fallback of both DeviceNet data sizes read from pargen.xml.
inline constexpr int DefaultDeviceNetBytes = 455;

// Upper bounds of Address DeviceNet, from the DeviceNet data sizes.
struct AccessBounds {
    int NByteIn = DefaultDeviceNetBytes;
    int NByteOut = DefaultDeviceNetBytes;
    bool operator==(const AccessBounds&) const = default;
};

// N Byte IN / N Byte OUT of pargen.xml; 455 for a missing file, a missing
// element or a text that is not a number. Throws XmlError when the file is
// there but cannot be read.
AccessBounds ReadAccessBounds(const std::string& pargenPath);

// Number of leading rows up to the first empty Slave ID.
size_t RunLength(const std::vector<AccessRow>& rows);
// The run of each table: what Set Access stores of its grids.
AccessMap RunsOf(const AccessMap& map);

// The tables as Set Access shows them: the rows in order, at most
// AccessMapRows per table (more are ignored). A missing file leaves both
// tables empty. A missing table or mandatory attribute throws XmlError with
// the rows read so far kept.
void LoadAccessMap(const std::string& path, AccessMap& into);

// The cells the checks look at.
enum class AccessField { SlaveId, Type, AddressMod, NPoint, AddressDeviceNet, Swap };

// The checks of one table, `bound` the upper bound of Address DeviceNet;
// each check's field is an AccessField.
CheckedTable<AccessRow> AccessTableChecks(AccessTable t, int bound);

// The checks of one row in order (Slave ID, Type, Address Register, NPoint,
// Address DeviceNet, SWAP), each text without the row head.
std::vector<std::string> AccessRowFailures(const AccessRow& row, AccessTable t, int bound);

// Every failure in check order: read table then write table, row by row over the
// run, per row Slave ID, Type, Address Register, NPoint, Address DeviceNet.
struct AccessFailure {
    AccessTable table;
    size_t row; // from 0
    AccessField field;
    std::string message;
};
std::vector<AccessFailure> LocatedAccessFailures(const AccessMap& map, const AccessBounds& bounds,
                                                 size_t limit = SIZE_MAX);
// A failure as an error of sdo.xml on the cell's table, row and column.
Finding AsFinding(AccessFailure f);
// The same for every failure.
std::vector<Finding> AccessMapFindings(const AccessMap& map, const AccessBounds& bounds);
std::vector<std::string> AccessMapFailures(const AccessMap& map, const AccessBounds& bounds);
std::optional<std::string> CheckAccessMap(const AccessMap& map, const AccessBounds& bounds);

// The run of each table, attributes in file order, values unchanged: a new
// file's text.
std::string AccessMapXml(const AccessMap& map);
// Writes the run of each table to the file at `path`, keeping what else the
// file holds.
void SaveAccessMap(const AccessMap& map, const std::string& path);
