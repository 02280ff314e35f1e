#include "core/editors/TableCsv.h"

#include "TempDir.h"
#include "core/editors/DiagnosisIds.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {
const std::string kHead =
    "N°,Slave ID,Type,Address Register,NPoint,SWAP,Address DeviceNet,Mnemonic\r\n";

std::vector<AccessRow> Rows() {
    return {{"1", "Holding Register", "100", "4", "Y", "0", "Pump, \"main\""},
            {"17", "Coil Status", "$10", "16", "N", "8", "two\r\nlines"},
            {"250", "Input Register", "65535", "127", "N", "455", " padded "}};
}

TEST(TableCsv, AccessExportImportExportIsByteForByte) {
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        std::vector<AccessRow> rows = Rows();
        if (t == AccessTable::Write) rows[2].Type = "Holding Register";
        const std::string csv = AccessTableCsv(rows);
        AccessCsvImport in = ParseAccessTableCsv(csv, t, 455);
        ASSERT_TRUE(in.ok()) << in.message();
        EXPECT_EQ(in.rows, rows);
        EXPECT_EQ(AccessTableCsv(in.rows), csv);
        // Saved, the imported table gives the same sdo.xml as the original.
        AccessMap a, b;
        a.rows(t) = rows;
        b.rows(t) = in.rows;
        EXPECT_EQ(AccessMapXml(a), AccessMapXml(b));
    }
}

// Every text the files can hold: control bytes, bytes that are not UTF-8,
// formula-like cells, an empty SWAP, a Type in another letter case.
std::vector<AccessRow> HostileRows() {
    return {{"1", "Holding Register", "100", "4", "", "0", "bel\x07 soh\x01 del\x7F"},
            {"2", "coil status", "0x10", "1", "y", "8", "caf\xE9 \xC0\xAF \xED\xA0\x80 \xFF"},
            {"3", "Input Register", "-0", "2", "N", "9", "cr\r lf\n tab\t"},
            {"4", "Input Status", "+5", "3", "N", "13", "=cmd|' /C calc'!A0"},
            {"5", "Holding Register", "7", "1", "N", "14", "+1+1"},
            {"6", "Holding Register", "8", "1", "N", "16", "-2+3"},
            {"7", "Holding Register", "9", "1", "N", "18", "@SUM(A1:A2)"},
            {"8", "Holding Register", "10", "1", "N", "20", "'=A1"},
            {"9", "Holding Register", "11", "1", "N", "22", "\t=1"},
            {"10", "Holding Register", "12", "1", "N", "24", "-5"}};
}

TEST(TableCsv, HostileTextsComeBackAsTheyWere) {
    std::vector<AccessRow> rows = HostileRows();
    const std::string csv = AccessTableCsv(rows);
    // What a spreadsheet would run is written as text; plain numbers stay numbers.
    for (const char* cell : {"\r\n4,4,Input Status,+5,3,N,13,'=cmd|' /C calc'!A0\r\n",
                             "\r\n5,5,Holding Register,7,1,N,14,'+1+1\r\n",
                             "\r\n6,6,Holding Register,8,1,N,16,'-2+3\r\n",
                             "\r\n7,7,Holding Register,9,1,N,18,'@SUM(A1:A2)\r\n",
                             "\r\n8,8,Holding Register,10,1,N,20,''=A1\r\n",
                             "\r\n9,9,Holding Register,11,1,N,22,\"'\t=1\"\r\n",
                             "\r\n10,10,Holding Register,12,1,N,24,-5\r\n",
                             "\r\n1,1,Holding Register,100,4,,0,\"bel\x07 soh\x01 del\x7F\"\r\n"})
        EXPECT_NE(csv.find(cell), std::string::npos) << cell;
    AccessCsvImport in = ParseAccessTableCsv(csv, AccessTable::Read, 455);
    ASSERT_TRUE(in.ok()) << in.message();
    EXPECT_EQ(in.rows, rows);
    AccessMap a, b;
    a.In = rows;
    b.In = in.rows;
    EXPECT_EQ(AccessMapXml(a), AccessMapXml(b));
    EXPECT_EQ(AccessTableCsv(in.rows), csv);
}

TEST(TableCsv, EveryBadRowNamedAlsoWhenTheTextIsNotWellFormed) {
    AccessCsvImport in = ParseAccessTableCsv(
        kHead + std::string("1,1,Coil Status,0,1,N,0,\"a\"b\r\n2,1,Coil Status,0,1,N,0,ok\r\n"
                            "3,1,Coil Status,0,1,N,0,nul\0\r\n",
                            88),
        AccessTable::Read, 20);
    EXPECT_EQ(in.errors, (std::vector<std::string>{"Row 2: text after a closing quote.",
                                                   "Row 4: the file is not text (NUL byte)."}));
    EXPECT_TRUE(in.rows.empty());
}

TEST(TableCsv, ExportWritesTheRunWithGridHeaders) {
    std::vector<AccessRow> rows = Rows();
    rows.insert(rows.begin() + 1, AccessRow{}); // the run ends at the first empty Slave ID
    EXPECT_EQ(AccessTableCsv(rows),
              kHead + "1,1,Holding Register,100,4,Y,0,\"Pump, \"\"main\"\"\"\r\n");
    EXPECT_EQ(DiagnosisCsv({"5", "250", "", "7"}),
              "Index/Bit-Mapping,Modbus Slave ID\r\n\"1 / Byte:0, Bit:0\",5\r\n"
              "\"2 / Byte:0, Bit:1\",250\r\n");
}

TEST(TableCsv, SpreadsheetStyleInputImports) {
    // Semicolons, a byte order mark, LF and CRLF mixed, quoted fields, "N°" lost.
    const std::string text = "\xEF\xBB\xBFNo;Slave ID;Type;Address Register;NPoint;SWAP;"
                             "Address DeviceNet;Mnemonic\n"
                             "1;3;Input Status;7;2;N;1;\"a;b\"\r\n"
                             "2;4;Coil Status;8;1;Y;2;\"line\nbreak\"\n";
    AccessCsvImport in = ParseAccessTableCsv(text, AccessTable::Read, 455);
    ASSERT_TRUE(in.ok()) << in.message();
    ASSERT_EQ(in.rows.size(), 2u);
    EXPECT_EQ(in.rows[0], (AccessRow{"3", "Input Status", "7", "2", "N", "1", "a;b"}));
    EXPECT_EQ(in.rows[1].Mnemonic, "line\nbreak");
}

struct BadCase {
    const char* name;
    AccessTable table;
    std::string body; // after the header
    std::vector<std::string> errors;
};

class AccessCsvBad : public ::testing::TestWithParam<BadCase> {};

TEST_P(AccessCsvBad, ListsEveryBadRowAndKeepsNoRows) {
    AccessCsvImport in = ParseAccessTableCsv(kHead + GetParam().body, GetParam().table, 20);
    EXPECT_EQ(in.errors, GetParam().errors);
    EXPECT_TRUE(in.rows.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AccessCsvBad,
    ::testing::Values(
        BadCase{"ColumnCount",
                AccessTable::Read,
                "1,1,Coil Status,0,1,N,0\r\n2,1,Coil Status,0,1,N,0,m,extra\r\n",
                {"Row 2: 7 columns, expected 8.", "Row 3: 9 columns, expected 8."}},
        BadCase{"EveryCheckOfEveryRow",
                AccessTable::Read,
                "1,1,Coil Status,0,1,N,0,ok\r\n"
                "2,0,Coil Status,70000,0,N,21,\r\n"
                "3,,Coil Status,0,1,N,0,\r\n"
                "4,99999999999,Coil Status,-1,128,N,-1,\r\n",
                {"Row 3: Slave ID must be between 1 and 250.",
                 "Row 3: Address Register must be between 0 and 65535.",
                 "Row 3: Number point must be between 1 and 127.",
                 "Row 3: Address DeviceNet must be between 0 and 20.",
                 "Row 4: Slave ID must be between 1 and 250.",
                 "Row 5: Slave ID must be between 1 and 250.",
                 "Row 5: Address Register must be between 0 and 65535.",
                 "Row 5: Number point must be between 1 and 127.",
                 "Row 5: Address DeviceNet must be between 0 and 20."}},
        BadCase{"TypesOfTheTable",
                AccessTable::Write,
                "1,1,Input Register,0,1,N,0,\r\n2,1,,0,1,N,0,\r\n3,1,holding register,0,1,N,0,\r\n",
                // Letter case aside: "holding register" is the table's.
                {"Row 2: Type must be Coil Status or Holding Register.",
                 "Row 3: Type must be Coil Status or Holding Register."}},
        BadCase{"Swap",
                AccessTable::Read,
                "1,1,Coil Status,0,1,yes,0,\r\n",
                {"Row 2: SWAP must be Y or N."}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableCsv, RefusesFilesOfTheWrongShape) {
    auto first = [](const std::string& text) {
        AccessCsvImport in = ParseAccessTableCsv(text, AccessTable::Read, 455);
        return in.errors.empty() ? std::string("<accepted>") : in.errors.front();
    };
    EXPECT_EQ(first(""), "The file is empty; the first row must name the columns.");
    EXPECT_EQ(first("Slave ID,Type\r\n"),
              "Row 1: the columns must be N°, Slave ID, Type, Address Register, NPoint, SWAP, "
              "Address DeviceNet, Mnemonic.");
    std::string many = kHead;
    for (int i = 1; i <= AccessMapRows + 1; ++i)
        many += std::to_string(i) + ",1,Coil Status,0,1,N,0,\r\n";
    EXPECT_EQ(first(many), "The file has more than 455 rows; the table holds 455.");
    many.resize(many.rfind("456,"));
    EXPECT_EQ(first(many), "<accepted>");
    // A control byte is a text the files can hold; only NUL is not text.
    EXPECT_EQ(first(kHead + "1,1,Coil Status,0,1,N,0,\x01\r\n"), "<accepted>");
    EXPECT_EQ(first(kHead + std::string("1,1,Coil Status,0,1,N,0,\0\r\n", 27)),
              "Row 2: the file is not text (NUL byte).");
}

TEST(TableCsv, Diagnosis) {
    const std::vector<std::string> ids = {"1", "255", "$10"};
    DiagnosisCsvImport in = ParseDiagnosisCsv(DiagnosisCsv(ids));
    ASSERT_TRUE(in.ok()) << in.message();
    EXPECT_EQ(in.rows, ids);
    EXPECT_EQ(DiagnosisXml(in.rows), DiagnosisXml(ids));

    in = ParseDiagnosisCsv("Index/Bit-Mapping;Modbus Slave ID\n1;0\n2;7\n3;256\n4\n");
    EXPECT_EQ(in.errors, (std::vector<std::string>{"Row 2: Modbus ID must be between 1 and 255.",
                                                   "Row 4: Modbus ID must be between 1 and 255.",
                                                   "Row 5: 1 columns, expected 2."}));
    std::string many = "Index/Bit-Mapping,Modbus Slave ID\n";
    for (int i = 0; i <= DiagnosisEntries; ++i)
        many += "x,1\n";
    EXPECT_EQ(ParseDiagnosisCsv(many).message(),
              "The file was not imported:\nThe file has more than 64 rows; the table holds 64.");
}

TEST(TableCsv, HugeFileRefusedUnread) {
    TempDir dir;
    const std::string path = dir / "huge.csv";
    {
        std::ofstream f(path, std::ios::binary);
        f << kHead;
    }
    // A sparse 100 MB file: refused from its size, quickly, without reading it.
    ASSERT_EQ(::truncate(path.c_str(), 100L << 20), 0);
    auto start = std::chrono::steady_clock::now();
    AccessCsvImport in = ReadAccessTableCsv(path, AccessTable::Read, 455);
    auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(in.errors.size(), 1u);
    EXPECT_NE(in.errors[0].find("is too large (104857600 bytes"), std::string::npos)
        << in.errors[0];
    EXPECT_LT(took, std::chrono::seconds(1));
    EXPECT_EQ(ReadDiagnosisCsv(dir / "missing.csv").errors.size(), 1u);
}
} // namespace
