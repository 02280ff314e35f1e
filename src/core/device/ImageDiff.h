#pragma once
#include "core/device/BankDump.h"
#include "core/editors/Finding.h"

#include <cstdint>
#include <string>
#include <vector>

// Comparison of two configuration images, each read from an image file or
// standing for the image a project would build, decoded to the same form:
// the parameter block by field and the two tables by row.

// One side of a comparison.
struct DiffSide {
    std::string name; // the path as given
    bool project = false;
    std::vector<uint8_t> bytes;
    BankImage image; // decoded, always with its parameter block
    // A project only: what its files hold beyond the image. Mnemonics by row,
    // as far as they could be read; Ser_Type and Ser_Prot as Set
    // Communication reads them (the image holds a code derived from them).
    std::vector<std::string> readMnemonics, writeMnemonics;
    int storedSerType = 0, storedSerProt = 0;
    // The check's errors; with them and no force the side is stopped: nothing built.
    std::vector<Finding> errors;
    bool stopped = false;
};

// A folder is a project: checked, then built (after errors only with force);
// anything else is an image file. Throws TessaroError with the reason when
// the side cannot be read, built or decoded. The one place a comparison
// reads a project.
DiffSide LoadDiffSide(const std::string& path, bool force);
// The same for a project model already loaded.
class Project;
DiffSide ProjectDiffSide(const Project& project, bool force);

// A side from the bytes of an image; throws TessaroError when they do not
// decode or hold no parameter block (read and write records then cannot be
// told apart).
DiffSide ImageDiffSide(const std::string& name, std::vector<uint8_t> bytes);

enum class DiffPart { Parameter, Read, Write };
// "parameter", "read", "write".
const char* DiffPartName(DiffPart part);

struct DiffValue {
    bool present = true; // false: the row is not on this side
    std::string text;    // as the line shows it: "7 (19200)", "\"TEMP\"", a row's description
    std::string json;    // as --json gives it: 7, "TEMP", an object, null
};

struct Difference {
    DiffPart part = DiffPart::Parameter;
    int row = 0;       // from 1 as the grid counts; 0 for a parameter
    std::string field; // pargen.xml element or grid header; empty for a row on one side only
    DiffValue a, b;
};

struct ImageComparison {
    uint32_t crcA = 0, crcB = 0;
    // Parameters, then the read table, then the write table, row by row.
    std::vector<Difference> differences;
    bool identical() const { return differences.empty(); }
};

// Every difference; mnemonics and the stored Ser_Type and Ser_Prot only
// between two projects, the image codes otherwise.
ImageComparison CompareSides(const DiffSide& a, const DiffSide& b);

// The field, or "only in A" / "only in B" for a row on one side only.
std::string DifferenceField(const Difference& d);
// parameter Ser_Baud: 7 (19200) -> 8 (38400)
// read:3:NPoint: 2 -> 4
// write:5: only in B (slave 3, Coil Status, address 10, 8 points, DeviceNet byte 4)
std::string DifferenceLine(const Difference& d);
// "2 differences", "1 difference" or "identical (CRC-32 1A2B3C4D)".
std::string ComparisonSummary(const ImageComparison& c);
// One line a difference, then the summary.
std::string ComparisonText(const ImageComparison& c);
// {"identical": bool, "crc32": {"a": "..", "b": ".."}, "differences": [...]}
std::string ComparisonJson(const ImageComparison& c);
// Part, Row, Field, A, B; a header row first.
std::string ComparisonCsv(const ImageComparison& c);

// The fingerprint of the image the project in `folder` would build now, given
// the findings of its check: "CRC-32 1A2B3C4D", or "not buildable: " and the
// reason (the first check error, or why the build stops).
struct ProjectPrint {
    bool buildable = false;
    std::string text;
};
ProjectPrint ProjectFingerprint(const Project& project, const std::vector<Finding>& findings);
