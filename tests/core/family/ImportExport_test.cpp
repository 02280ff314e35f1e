#include "core/family/ImportExport.h"
#include "core/family/Spreadsheet.h"

#include "TempDir.h"
#include "XlsWriter.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <freexl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using xls::Blank;
using xls::Row;

namespace {
struct Imported {
    std::vector<int32_t> directions;
    std::vector<std::vector<std::string>> records;
    int found = 0;
};

ImportOutcome Import(const std::string& path, const FamilyTable& table, Imported& got) {
    SpreadsheetConnection conn;
    SpreadsheetQuery query(conn);
    ImportHandlers h;
    h.worksheetFound = [&] { ++got.found; };
    h.record = [&](int32_t d, const std::vector<std::string>& f) {
        got.directions.push_back(d);
        got.records.push_back(f);
    };
    auto out = ImportWorksheet(conn, query, path, table, h);
    EXPECT_FALSE(conn.Connected()) << "connection left open";
    return out;
}

Row Titles(int n) {
    Row r;
    for (int i = 0; i < n; ++i)
        r.push_back("t" + std::to_string(i));
    return r;
}
} // namespace

TEST(Spreadsheet, ConnectionStringCarriesTheWorkbook) {
    EXPECT_EQ(SpreadsheetConnectionString("/p/a.xls"),
              "Provider=MSDASQL.1;Persist Security Info=False;Data Source=File di Microsoft "
              "Excel;DBQ=/p/a.xls;Mode=Read");
    EXPECT_EQ(ConnectionStringValue(SpreadsheetConnectionString("/p/a.xls"), "dbq"), "/p/a.xls");
    EXPECT_EQ(ConnectionStringValue(SpreadsheetConnectionString("/p/x;y.xls"), "DBQ"),
              "/p/x;y.xls");
    EXPECT_EQ(ConnectionStringValue("Mode=Read", "DBQ"), std::nullopt);
}

TEST(Spreadsheet, NumberText) {
    const std::pair<double, const char*> cases[] = {{16, "16"},
                                                    {1.5, "1.5"},
                                                    {-3, "-3"},
                                                    {0.1, "0.1"},
                                                    {-0.0, "0"},
                                                    {4096, "4096"},
                                                    {65535, "65535"},
                                                    {1e6, "1000000"},
                                                    {2.25, "2.25"},
                                                    {0.001, "0.001"},
                                                    {1e20, "1e+20"},
                                                    // Around the end of plain digits.
                                                    {999999999999999.0, "999999999999999"},
                                                    {1e15, "1e+15"},
                                                    {-123456789012.0, "-123456789012"},
                                                    {99999999999999.5, "99999999999999.5"}};
    for (auto [v, text] : cases)
        EXPECT_EQ(NumberText(v), text) << v;
}

TEST(Spreadsheet, OpenFailsForMissingOrUnreadableWorkbook) {
    TempDir dir;
    SpreadsheetConnection conn;
    conn.ConnectionString = SpreadsheetConnectionString(dir / "none.xls");
    EXPECT_THROW(conn.Open(), SpreadsheetError);
    WriteText(dir / "text.xls", "cobid,id\r\n1,2\r\n");
    conn.ConnectionString = SpreadsheetConnectionString(dir / "text.xls");
    EXPECT_THROW(conn.Open(), SpreadsheetError);
    EXPECT_FALSE(conn.Connected());
    conn.ConnectionString = "Provider=MSDASQL.1;Mode=Read";
    EXPECT_THROW(conn.Open(), SpreadsheetError);
}

TEST(Spreadsheet, TablesQueryAndFields) {
    TempDir dir;
    const std::string path = dir / "book.xls";
    xls::WriteWorkbook(path, {{"Sheet1", {{"x"}}},
                              {"SdO",
                               {{"conf", "Index", "Sub"},
                                {16.0, "0x1A", 26.0},
                                {Blank{}, 1.5, "text, with comma"},
                                {17.0}}}});
    SpreadsheetConnection conn;
    SpreadsheetQuery query(conn);
    conn.ConnectionString = SpreadsheetConnectionString(path);
    conn.Open();
    EXPECT_EQ(conn.GetTableNames(true), (std::vector<std::string>{"Sheet1$", "SdO$"}));
    EXPECT_TRUE(conn.GetTableNames(false).empty());

    query.SQL = {"select * from [sdo$]"};
    query.Open();
    ASSERT_EQ(query.RecordCount(), 3); // the title row is no record
    EXPECT_EQ(query.FieldCount(), 3);
    EXPECT_EQ(query.Field(0), "16");
    EXPECT_EQ(query.Field(1), "0x1A");
    EXPECT_EQ(query.Field(2), "26");
    EXPECT_THROW(query.Field(3), SpreadsheetError);
    query.Next();
    EXPECT_EQ(query.Field(0), std::nullopt);
    EXPECT_EQ(query.Field(1), "1.5");
    EXPECT_EQ(query.Field(2), "text, with comma");
    query.Next();
    EXPECT_EQ(query.Field(0), "17");
    EXPECT_EQ(query.Field(1), std::nullopt) << "cells missing at the end of a row are Null";
    query.Next();
    EXPECT_TRUE(query.Eof());
    EXPECT_THROW(query.Field(0), SpreadsheetError);

    query.SQL = {"select * from [emcy$]"};
    EXPECT_THROW(query.Open(), SpreadsheetError);
    query.SQL = {"delete from [sdo$]"};
    EXPECT_THROW(query.Open(), SpreadsheetError);

    query.SQL = {"select * from [SDO$]"};
    query.Open();
    conn.Close();
    EXPECT_THROW(query.Field(0), SpreadsheetError) << "query outlived its connection";
}

// Every cell the query gives matches what FreeXL itself reads, over sparse
// rows, empty rows, trailing blanks and several worksheets.
TEST(Spreadsheet, QueryMatchesFreeXLCellByCell) {
    TempDir dir;
    const std::string path = dir / "sparse.xls";
    std::vector<xls::Sheet> sheets;
    for (int s = 0; s < 3; ++s) {
        xls::Sheet sheet{"S" + std::to_string(s), {{"a", "b", "c", "d", "e"}}};
        for (int r = 0; r < 40 + 30 * s; ++r) {
            Row row;
            if ((r + s) % 7 != 3) // now and then a row with no cell at all
                for (int c = 0; c < 5; ++c) {
                    const int k = r * 5 + c + s;
                    if (k % 3 == 0)
                        row.push_back(Blank{});
                    else if (k % 3 == 1)
                        row.push_back(double(k) / 4);
                    else
                        row.push_back("t" + std::to_string(k));
                }
            sheet.rows.push_back(row);
        }
        sheets.push_back(sheet);
    }
    xls::WriteWorkbook(path, sheets);

    SpreadsheetConnection conn;
    SpreadsheetQuery query(conn);
    conn.ConnectionString = SpreadsheetConnectionString(path);
    conn.Open();
    const void* h = nullptr;
    ASSERT_EQ(freexl_open(path.c_str(), &h), FREEXL_OK);
    int compared = 0;
    for (unsigned short s = 0; s < 3; ++s) {
        query.SQL = {"select * from [S" + std::to_string(s) + "$]"};
        query.Open();
        unsigned int rows = 0;
        unsigned short cols = 0;
        ASSERT_EQ(freexl_select_active_worksheet(h, s), FREEXL_OK);
        ASSERT_EQ(freexl_worksheet_dimensions(h, &rows, &cols), FREEXL_OK);
        ASSERT_EQ(query.RecordCount(), int(rows) - 1);
        ASSERT_EQ(query.FieldCount(), int(cols));
        for (unsigned int r = 1; r < rows; ++r, query.Next())
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v{};
                ASSERT_EQ(freexl_get_cell_value(h, r, c, &v), FREEXL_OK);
                std::optional<std::string> want;
                if (v.type == FREEXL_CELL_DOUBLE)
                    want = NumberText(v.value.double_value);
                else if (v.type == FREEXL_CELL_INT)
                    want = std::to_string(v.value.int_value);
                else if (v.type != FREEXL_CELL_NULL)
                    want = v.value.text_value;
                ASSERT_EQ(query.Field(c), want) << "sheet " << s << " row " << r << " col " << c;
                ++compared;
            }
        EXPECT_TRUE(query.Eof());
    }
    freexl_close(h);
    EXPECT_GT(compared, 1000); // the worksheets were not cut short

    // A reopened connection leaves no query standing on the old worksheets.
    conn.Open();
    EXPECT_THROW(query.Field(0), SpreadsheetError);
}

// The workbook reader runs in a process of its own; it must not
// keep the program's files open, or a lock the program drops (a serial port's)
// would stay held for as long as the helper lives.
TEST(Spreadsheet, HelperHoldsNoFileOfTheProgram) {
    TempDir dir;
    const std::string lockPath = dir / "port.lock";
    WriteText(lockPath, "");
    const int spacer = ::open("/dev/null", O_RDONLY); // keeps the lock off the lowest numbers
    int held = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    int inherited = ::open(lockPath.c_str(), O_RDWR); // no close-on-exec either
    ASSERT_GE(inherited, 0);

    StopWorkbookHelper(); // the next Open starts the reader while both files are open
    const std::string path = dir / "b.xls";
    xls::WriteWorkbook(path, {{"SDO", {Titles(8), {1.0}}}});
    SpreadsheetConnection conn;
    conn.ConnectionString = SpreadsheetConnectionString(path);
    conn.Open();
    EXPECT_EQ(conn.GetTableNames(true), (std::vector<std::string>{"SDO$"}));

    ::close(held);
    ::close(inherited);
    ::close(spacer);
    int again = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(again, 0);
    EXPECT_EQ(::flock(again, LOCK_EX | LOCK_NB), 0) << "the helper still holds the lock";
    ::close(again);

    // A stopped helper is replaced at the next Open.
    StopWorkbookHelper();
    conn.Open();
    EXPECT_TRUE(conn.Connected());
}

TEST(Import, WorksheetNameInAnotherCaseIsFound) {
    TempDir dir;
    const std::string path = dir / "b.xls";
    xls::WriteWorkbook(path, {{"Other", {Titles(8), {1.0}}},
                              {"SDO",
                               {Titles(8),
                                {16.0, "0x2000", 1.0, 5.0, "0x6000", 2.0, 2.0, "temp"},
                                {17.0, 4096.0, Blank{}, 6.0, Blank{}, 0.0, 1.0, Blank{}}}}});
    Imported got;
    auto out = Import(path, SdoTable, got);
    EXPECT_EQ(out.end, ImportEnd::Completed) << out.reason;
    EXPECT_EQ(got.found, 1);
    EXPECT_EQ(got.directions, (std::vector<int32_t>{16, 17}));
    ASSERT_EQ(got.records.size(), 2u);
    EXPECT_EQ(got.records[0],
              (std::vector<std::string>{"16", "0x2000", "1", "5", "0x6000", "2", "2", "temp"}));
    EXPECT_EQ(got.records[1], (std::vector<std::string>{"17", "4096", "", "6", "", "0", "1", ""}));
}

TEST(Import, EndsWithoutRecords) {
    TempDir dir;
    struct Case {
        const char* what;
        std::vector<xls::Sheet> sheets;
        ImportEnd end;
        int found;
    };
    const Case cases[] = {
        {"only Sheet1",
         {{"Sheet1", {Titles(5), {1.0, 2.0, 3.0, 4.0, 5.0}}}},
         ImportEnd::NoWorksheet,
         0},
        {"name with a suffix",
         {{"rpdodef2", {Titles(5), {1.0, 2.0, 3.0, 4.0, 5.0}}}},
         ImportEnd::NoWorksheet,
         0},
        {"titles only", {{"rpdodef", {Titles(5)}}}, ImportEnd::Completed, 1},
        {"empty sheet", {{"RPDODEF", {}}}, ImportEnd::Completed, 1},
    };
    for (const auto& c : cases) {
        const std::string path = dir / (std::string(c.what) + ".xls");
        xls::WriteWorkbook(path, c.sheets);
        Imported got;
        auto out = Import(path, RpdodefTable, got);
        EXPECT_EQ(out.end, c.end) << c.what;
        EXPECT_EQ(got.found, c.found) << c.what;
        EXPECT_EQ(out.records, 0) << c.what;
        EXPECT_TRUE(got.records.empty()) << c.what;
    }
    Imported got;
    EXPECT_EQ(Import(dir / "missing.xls", RpdodefTable, got).end, ImportEnd::Stopped);
}

// A bad record anywhere stops the import before any record reaches the
// editor, with the record and the reason.
TEST(Import, BadRecordStopsBeforeAnyRecordIsHandedOver) {
    TempDir dir;
    struct Case {
        const char* what;
        std::vector<Row> rows;
        const char* reason;
    };
    const Case cases[] = {
        {"1.5 in the direction column",
         {Titles(5),
          {"0x181", 1.0, 3.0, Blank{}, Blank{}},
          {"0x182", 1.0, 1.5, Blank{}, Blank{}},
          {"0x183", 1.0, 2.0, Blank{}, Blank{}}},
         "Record 2: '1.5' is not a valid integer value"},
        {"empty direction cell",
         {Titles(5), {"0x181", 1.0, 3.0, "a", "b"}, {"0x182", 1.0, Blank{}, "a", "b"}},
         "Record 2: '' is not a valid integer value"},
        {"direction not integer text",
         {Titles(5), {"0x181", 1.0, "two", "a", "b"}},
         "Record 1: 'two' is not a valid integer value"},
        {"too few columns", {{"cobid", "id", "en"}, {"0x181", 1.0, 3.0}}, "Record 1: Field"},
    };
    for (const auto& c : cases) {
        const std::string path = dir / (std::string(c.what) + ".xls");
        xls::WriteWorkbook(path, {{"rpdodef", c.rows}});
        Imported got;
        auto out = Import(path, RpdodefTable, got);
        EXPECT_EQ(out.end, ImportEnd::Stopped) << c.what;
        EXPECT_EQ(out.records, 0) << c.what;
        EXPECT_TRUE(got.records.empty()) << c.what;
        EXPECT_EQ(out.reason.rfind(c.reason, 0), 0u) << c.what << ": " << out.reason;
    }
}

TEST(Import, EditorErrorStopsTheImport) {
    TempDir dir;
    const std::string path = dir / "b.xls";
    xls::WriteWorkbook(path, {{"sdopdo",
                               {Titles(4),
                                {"0x2000", 1.0, 1.0, 0.0},
                                {"0x2001", 1.0, 0.0, 0.0},
                                {"0x2002", 1.0, 1.0, 0.0}}}});
    SpreadsheetConnection conn;
    SpreadsheetQuery query(conn);
    std::vector<std::string> indexes;
    ImportHandlers h;
    h.record = [&](int32_t n, const std::vector<std::string>& f) {
        if ((n & 127) == 0) throw TessaroError("PDO number 0");
        indexes.push_back(f[0]);
    };
    auto out = ImportWorksheet(conn, query, path, SdopdoTable, h);
    EXPECT_EQ(out.end, ImportEnd::Stopped);
    EXPECT_EQ(out.reason, "Record 2: PDO number 0");
    EXPECT_EQ(out.records, 1);
    EXPECT_EQ(indexes, std::vector<std::string>{"0x2000"});
}

TEST(Csv, LinesAndPath) {
    EXPECT_EQ(CsvPath("/p/proj", RpdodefTable), "/p/proj/rpdodef.csv");
    EXPECT_EQ(CsvLine({"cobid", "", "00"}), "cobid,,00,\r\n");
    EXPECT_EQ(CsvLine({"a,b", "\"q\""}), "a,b,\"q\",\r\n");
    EXPECT_EQ(CsvLine({}), "\r\n");
    EXPECT_EQ(ToLatin1("temp\xc3\xa9ratur\xc3\xa0"), "temp\xe9ratur\xe0");
    EXPECT_EQ(ToLatin1("\xe2\x82\xac 5"), "? 5");
    // Bytes that are not UTF-8 are Latin-1 already and stay as they are.
    EXPECT_EQ(ToLatin1("a\xff"
                       "b"),
              "a\xff"
              "b");
    EXPECT_EQ(ToLatin1("\xc3"), "\xc3");
    // A spreadsheet runs no cell of the export; plain numbers stay numbers.
    EXPECT_EQ(CsvLine({"=cmd|' /C calc'!A0", "+1+1", "@SUM(A1)", "-5", "-0x10", "'=x"}),
              "'=cmd|' /C calc'!A0,'+1+1,'@SUM(A1),-5,-0x10,''=x,\r\n");
}

TEST(Csv, WriteReplacesTheFile) {
    TempDir dir;
    const std::string path = dir / "sdo.csv";
    WriteText(path, std::string(5000, 'x'));
    WriteCsv(path, {{"0", "Index"}, {"1", ""}});
    EXPECT_EQ(ReadText(path), "0,Index,\r\n1,,\r\n");
    WriteCsv(path, {{"2"}});
    EXPECT_EQ(ReadText(path), "2,\r\n");
}

TEST(Csv, ErrorTexts) {
    EXPECT_EQ(CsvErrorText(EACCES), "File access denied");
    EXPECT_EQ(CsvErrorText(EROFS), "File access denied");
    EXPECT_EQ(CsvErrorText(ENOSPC), "I/O error 28");
    TempDir dir;
    try {
        WriteCsv(dir.path(), {{"a"}}); // a folder is no file
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "I/O error " + std::to_string(EISDIR));
    }
    try {
        WriteCsv(dir / "no/such/folder.csv", {{"a"}});
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "I/O error " + std::to_string(ENOENT));
    }
}

TEST(Csv, FailureKeepsThePreviousFile) {
    TempDir dir;
    const std::string path = dir / "big.csv";
    const std::string previous = "previous export\r\n";
    WriteText(path, previous);
    std::vector<std::vector<std::string>> lines(100, {"0123456789"}); // 13 bytes each
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 130;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    try {
        WriteCsv(path, lines);
    } catch (const FileError& e) {
        error = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, "I/O error " + std::to_string(EFBIG));
    EXPECT_EQ(ReadText(path), previous);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(Csv, ReadOnlyExportIsRefusedAndKept) {
    for (mode_t mode : {0444, 0400, 0555}) {
        TempDir dir;
        const std::string path = dir / "sdo.csv";
        WriteText(path, "previous\r\n");
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        try {
            WriteCsv(path, {{"new"}});
            ADD_FAILURE() << std::oct << mode << " replaced";
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()), "File access denied");
        }
        EXPECT_EQ(ReadText(path), "previous\r\n");
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
    }
}

// Any path the file dialog can return reaches the reader whole.
TEST(Import, AnyWorkbookPathImports) {
    TempDir dir;
    for (const char* name :
         {"a}b;c.xls", "x;y}.xls", "{braced}.xls", "}}.xls", "semi;colon.xls", " lead.xls",
          "trail.xls ", "k=v;DBQ=z.xls", "quote'\"and space.xls", "caf\xC3\xA9 \xE2\x82\xAC.xls",
          "tab\tnew\nline.xls", "Mode=Read}.xls"}) {
        const std::string path = dir / name;
        EXPECT_EQ(ConnectionStringValue(SpreadsheetConnectionString(path), "DBQ"), path) << name;
        xls::WriteWorkbook(dir / "plain.xls", {{"sdopdo", {Titles(4), {"0x2000", 1.0, 1.0, 0.0}}}});
        std::filesystem::rename(dir / "plain.xls", path);
        Imported got;
        auto out = Import(path, SdopdoTable, got);
        EXPECT_EQ(out.end, ImportEnd::Completed) << name << ": " << out.reason;
        EXPECT_EQ(got.records.size(), 1u) << name;
    }
}

// The kept reader, killed between imports, is replaced: the next import of a
// valid workbook works. A workbook it cannot read is a failure with a reason.
TEST(Import, DeadReaderIsRestartedAndUnreadableWorkbooksSayWhy) {
    TempDir dir;
    const std::string good = dir / "good.xls";
    xls::WriteWorkbook(good, {{"sdopdo", {Titles(4), {"0x2000", 1.0, 1.0, 0.0}}}});
    Imported first;
    ASSERT_EQ(Import(good, SdopdoTable, first).end, ImportEnd::Completed);
    for (int round = 0; round < 3; ++round) {
        const int pid = WorkbookHelperPid();
        ASSERT_GT(pid, 0) << "the reader is kept between imports";
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        if (round == 1) ::usleep(100000); // dead before the next import, or dying during it
        Imported got;
        auto out = Import(good, SdopdoTable, got);
        EXPECT_EQ(out.end, ImportEnd::Completed) << round << ": " << out.reason;
        EXPECT_EQ(got.records, first.records) << round;
        EXPECT_NE(WorkbookHelperPid(), pid);
    }

    const std::string bytes = ReadText(good);
    struct Case {
        const char* name;
        std::string content;
        const char* reason;
    };
    const Case cases[] = {
        {"text.xls", "not a workbook at all", "Not a readable workbook"},
        {"empty.xls", "", "Not a readable workbook"},
        {"half.xls", bytes.substr(0, bytes.size() / 2), ""},
        {"missing.xls", "", "Workbook not found"},
    };
    for (const Case& c : cases) {
        const std::string path = dir / c.name;
        if (std::string(c.name) != "missing.xls") WriteText(path, c.content);
        Imported got;
        auto out = Import(path, SdopdoTable, got);
        EXPECT_NE(out.end, ImportEnd::Completed) << c.name;
        EXPECT_FALSE(out.reason.empty()) << c.name;
        EXPECT_NE(out.reason.find(c.reason), std::string::npos) << c.name << ": " << out.reason;
        EXPECT_TRUE(got.records.empty()) << c.name;
        EXPECT_EQ(got.found, 0) << c.name;
    }
    // The reader is still good for the next valid workbook.
    Imported again;
    EXPECT_EQ(Import(good, SdopdoTable, again).end, ImportEnd::Completed);
}
