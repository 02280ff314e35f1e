#pragma once
#include "core/project/Errors.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Spreadsheet access for the family editors' import: a read-only connection to
// an .xls workbook (BIFF, read through FreeXL) and a query over one worksheet.
// It offers what the import needs of an ODBC spreadsheet driver and nothing more:
//
//   SpreadsheetConnection conn;
//   SpreadsheetQuery query(conn);
//   conn.ConnectionString = SpreadsheetConnectionString(path);
//   conn.Open();                                  // throws SpreadsheetError
//   for (auto& name : conn.GetTableNames(true))   // "Sheet1$", "SDO$", ...
//   query.SQL = {"select * from [sdo$]"};
//   query.Open();                                 // throws SpreadsheetError
//   for (int k = 0; k < query.RecordCount(); ++k) {
//       std::optional<std::string> v = query.Field(0); // nullopt: empty cell
//       query.Next();
//   }
//   query.Close();
//   conn.Close();
//
// The first row of a worksheet holds the column titles and is not a record.
// Cell values: an empty cell is Null (nullopt); a number is its shortest
// decimal text ("16", "1.5", "-3"); text passes unchanged (UTF-8); a date or
// time cell is its ISO text ("2024-01-31", "12:30:00").

// Any failure of the spreadsheet layer: missing or unreadable workbook, unknown
// worksheet, a field position beyond the last column, use while closed.
class SpreadsheetError : public TessaroError {
public:
    using TessaroError::TessaroError;
};

// The connection string the import sets, with the workbook path as DBQ.
// A path holding ';', '{' or '}' or with blanks at its ends is put in
// braces, a '}' in it doubled, so that any path survives parsing.
std::string SpreadsheetConnectionString(const std::string& workbookPath);

// Value of key `key` (case-insensitive) in a "key=value;key=value" text;
// braces around a value are removed and "}}" inside them is one '}'.
// nullopt when the key is absent.
std::optional<std::string> ConnectionStringValue(const std::string& text, const std::string& key);

// Shortest decimal text of a number, "." as decimal separator.
std::string NumberText(double value);

// A worksheet as read from the workbook: its dimensions and its non-empty
// cells, row by row.
struct WorksheetCells {
    struct Cell {
        unsigned short col = 0;
        bool readable = true;
        unsigned int offset = 0; // the cell's text in `text`
        unsigned int length = 0;
    };
    std::string name;
    bool readable = true; // false: FreeXL could not select or size it
    unsigned int rows = 0;
    unsigned short cols = 0;
    std::vector<Cell> cells; // row-major
    std::string_view text;   // the stream the cells' texts lie in
    // Index into `cells` of each row's first cell, up to the last row holding
    // one, and then the end of `cells`.
    std::vector<unsigned int> rowStart;

    // The cell at (row, col); nullptr when it is empty.
    const Cell* find(unsigned int row, unsigned short col) const;
};

// Workbooks are read by a helper process, the executable tessaro-xls-reader
// in the program's folder (else in $TESSARO_BIN_DIR), started on the first
// Open and kept. This ends it; the next Open starts a new one.
void StopWorkbookHelper();
// Process id of the kept reader, -1 when none runs.
int WorkbookHelperPid();
// The reader's side: answers each request on the socket `fd` until the
// program closes its end; returns the exit status.
int ServeWorkbooks(int fd);

class SpreadsheetConnection {
public:
    SpreadsheetConnection() = default;
    ~SpreadsheetConnection() = default;
    SpreadsheetConnection(const SpreadsheetConnection&) = delete;
    SpreadsheetConnection& operator=(const SpreadsheetConnection&) = delete;

    // Read by Open: the workbook is the DBQ value.
    std::string ConnectionString;

    // Opens the workbook; closes a previous one first. Throws SpreadsheetError
    // when there is no DBQ, the file is missing or it is not a readable workbook.
    void Open();
    void Close();
    bool Connected() const { return open_; }

    // Worksheet names, each followed by "$", in workbook order. The worksheets
    // count as system tables: without them the list is empty.
    std::vector<std::string> GetTableNames(bool systemTables) const;

    // For the query: the worksheet named `name` (letter case ignored, ASCII).
    // Throws SpreadsheetError when absent.
    const WorksheetCells& worksheet(const std::string& name) const;
    // Changes at every Open and Close, so a query notices a reopened connection.
    unsigned long generation() const { return generation_; }

private:
    bool open_ = false;
    unsigned long generation_ = 0;
    std::string stream_;                 // kept from open to open, so its memory is reused
    std::vector<WorksheetCells> sheets_; // their texts lie in stream_
};

class SpreadsheetQuery {
public:
    explicit SpreadsheetQuery(SpreadsheetConnection& connection) : conn_(connection) {}

    // One statement, "select * from [<worksheet>$]" (keywords in any case).
    std::vector<std::string> SQL;

    // Runs the statement on the connection's workbook and stands on the first
    // record. Throws SpreadsheetError on a closed connection, a statement of
    // another form or an unknown worksheet.
    void Open();
    void Close();
    bool Active() const { return active_; }

    int RecordCount() const;
    int FieldCount() const;
    // 0-based record position; RecordCount() when past the last one.
    int RecNo() const { return record_; }
    bool Eof() const { return record_ >= records_; }
    void Next();

    // Field at 0-based `position` of the current record. Throws SpreadsheetError
    // beyond the last column, past the last record or when not active.
    std::optional<std::string> Field(int position) const;
    // The same without a copy; valid until the connection closes or reopens.
    std::optional<std::string_view> FieldView(int position) const;

private:
    SpreadsheetConnection& conn_;
    bool active_ = false;
    int records_ = 0;
    int fields_ = 0;
    int record_ = 0;
    const WorksheetCells* sheet_ = nullptr;
    unsigned long generation_ = 0;
};
