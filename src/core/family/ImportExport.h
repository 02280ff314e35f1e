#pragma once
#include "core/family/Spreadsheet.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Spreadsheet import and CSV export shared by the family editors (SDO access,
// PDO translation, stored PDO, EMCY translation, EMCY words). An editor gives
// its FamilyTable and two handlers; the procedure does the rest the same way
// for all of them.

// What differs between the editors.
struct FamilyTable {
    std::string name;   // lower case: XML root, worksheet name ("<name>$"), CSV base name
    int fieldCount;     // N: worksheet columns 0..N-1 are read from every record
    int directionField; // column whose integer value tells the record's side
};

inline const FamilyTable SdoTable{"sdo", 8, 0};
inline const FamilyTable RpdodefTable{"rpdodef", 5, 2};
inline const FamilyTable SdopdoTable{"sdopdo", 4, 2};
inline const FamilyTable EmcydefTable{"emcydef", 12, 11};
inline const FamilyTable EmcywordTable{"emcyword", 52, 2};

// Editor side of an import.
struct ImportHandlers {
    // Called once the worksheet is found, before the first record (may be empty).
    std::function<void()> worksheetFound;
    // One record: `direction` is the direction column converted strictly by
    // ParseInteger, `fields` the texts of columns 0..N-1 (an empty cell gives "").
    // The editor picks the side from `direction`; throwing stops the import.
    std::function<void(int32_t direction, const std::vector<std::string>& fields)> record;
};

enum class ImportEnd {
    Completed,   // every record of the worksheet was read and handed over
    NoWorksheet, // the workbook has no worksheet named after the table
    Stopped,     // an error stopped it
};

struct ImportOutcome {
    ImportEnd end = ImportEnd::Stopped;
    int records = 0;    // records handed to the editor
    std::string reason; // why it did not complete, for the user
};

// Connection string, table list, "select * from [<name>$]". Every record is
// read (direction, then columns 0..N-1) before the first is handed over, so
// a workbook that cannot be read whole reaches no handler. A handler that
// throws stops the import part way: editors hand the records to a copy of
// their content and show it only when the outcome is Completed. Never
// throws: any error ends with ImportEnd::Stopped and its reason. Query and
// connection are closed on every way out.
ImportOutcome ImportWorksheet(SpreadsheetConnection& connection, SpreadsheetQuery& query,
                              const std::string& workbookPath, const FamilyTable& table,
                              const ImportHandlers& handlers);

// Export file of a table: <projectFolder>/<name>.csv.
std::string CsvPath(const std::string& projectFolder, const FamilyTable& table);

// UTF-8 to the 8-bit export code page (Latin-1); characters it lacks become
// '?', bytes that are not UTF-8 are kept (read as Latin-1, see ValidUtf8).
std::string ToLatin1(std::string_view utf8);

// One line: every field followed by ",", then CR LF, in Latin-1, no quoting; a
// formula-like field gets CsvCell's leading apostrophe.
std::string CsvLine(const std::vector<std::string>& fields);

// Message of a failed export for a system error code.
std::string CsvErrorText(int err);

// Creates or replaces `path` with the lines, atomically. Throws FileError
// "File access denied" when the target may not be written, "I/O error <errno>"
// for other failures; a failure leaves the previous file as it was.
void WriteCsv(const std::string& path, const std::vector<std::vector<std::string>>& lines);
