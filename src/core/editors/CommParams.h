#pragma once
#include "core/editors/Finding.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The communication parameters kept in pargen.xml. Choices hold their codes,
// edit-box values the text exactly as typed.
struct CommParams {
    int SerBaud = 7; // position in SerBaudItems
    int SerPar = 0;  // position in SerParItems
    std::string SerTO = "1000";
    std::string SerCD = "100";
    int SerType = 1;      // 1 RS485, 0 RS232
    int SerProt = 0;      // 0 Modbus RTU, 1 Modbus ASCII, 2 JBUS, 3 Binary, 4 ASCII
    int SerWriteMode = 0; // 0 write on change of data, 1 cyclic write
    std::string DnId = "1";
    int DnBaud = 2; // position in DnBaudItems
    std::string DnNbIn = "455";
    std::string DnNbOut = "455";
    bool DnEnableError = false;
    std::string DnNumContErr = "3";
    std::string DnValCancData = "0x00";

    bool operator==(const CommParams&) const = default;
};

inline const std::vector<std::string> SerBaudItems = {"1200",  "2400",  "4800",  "9600",
                                                      "19200", "38400", "57600", "115200"};
inline const std::vector<std::string> SerParItems = {"NONE", "EVEN", "ODD"};
inline const std::vector<std::string> DnBaudItems = {"125K", "250K", "500K"};

// Reads the file into `into`, element by element in file order. Elements with a
// fallback take it when missing or not a number; any other error throws
// (XmlError, EConvertError) and leaves the fields not yet read as they were.
// A missing file is no error: `into` gets the defaults.
void LoadCommParams(const std::string& path, CommParams& into);

// The code of a list where nothing is chosen (no stored value either).
inline constexpr int NoListChoice = INT32_MIN;

// A list code that is none of the list's positions (a stored value outside
// the list, or no choice made): one message a field, naming it.
std::vector<std::string> CommChoiceFailures(const CommParams& p);

// The values the checks look at: the three lists, then the edit boxes.
enum class CommField {
    SerBaud,
    SerPar,
    DnBaud,
    SerTO,
    SerCD,
    DnId,
    DnNbIn,
    DnNbOut,
    DnNumContErr,
    DnValCancData
};
struct CommFailure {
    CommField field;
    std::string message;
    bool operator==(const CommFailure&) const = default;
};

// Every failure in check order (the dialog shows the first one): the list
// codes first, then the ranges.
std::vector<CommFailure> LocatedCommFailures(const CommParams& p);
// Every range failure in check order (the dialog shows the first one), as
// errors of pargen.xml on the field's label.
std::vector<Finding> CommParamsFindings(const CommParams& p);
std::vector<std::string> CommParamsFailures(const CommParams& p);
std::optional<std::string> CheckCommParams(const CommParams& p);

// A new file's text. A list position outside its list is never replaced:
// both throw TessaroError naming the field (check CommChoiceFailures first).
std::string CommParamsXml(const CommParams& p);
// Writes Set Communication's elements into the file at `path`, keeping every
// other element it holds; throws XmlError when writing fails.
void SaveCommParams(const CommParams& p, const std::string& path);
