#include "CliRun.h"
#include "TempDir.h"
#include "WorkedExample.h"
#include "core/editors/AccessMap.h"
#include "core/project/FileSystem.h"

#include <gtest/gtest.h>

namespace {
CliResult Cli(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    return RunProgram(CLI_PATH, args, env);
}

const char* const kDiagnosis =
    "<?xml version=\"1.0\"?>\n<Modbus_IDs><ID>3</ID><ID>9</ID></Modbus_IDs>\n";

struct Project {
    TempDir dir;
    Project() {
        WriteText(dir / "pargen.xml", ExamplePargen);
        WriteText(dir / "sdo.xml", ExampleSdo);
        WriteText(dir / "diagnosis.xml", kDiagnosis);
    }
};

TEST(CsvCommand, ExportImportGivesTheSameProjectFiles) {
    Project p;
    for (const char* table : {"read", "write", "diagnosis"}) {
        SCOPED_TRACE(table);
        const std::string file = std::string(table) == "diagnosis" ? "diagnosis.xml" : "sdo.xml";
        CliResult e = Cli({"export", p.dir.path(), "--table", table, "-o", p.dir / "t.csv"});
        ASSERT_EQ(e.rc, 0) << e.err;
        const std::string csv = ReadText(p.dir / "t.csv");
        EXPECT_NE(csv.find("\r\n"), std::string::npos);
        CliResult i = Cli({"import", p.dir.path(), "--table", table, p.dir / "t.csv"});
        ASSERT_EQ(i.rc, 0) << i.err;
        // Rewritten by the tool, the file equals what the window's OK writes.
        const std::string once = ReadText(p.dir / file);
        ASSERT_EQ(Cli({"import", p.dir.path(), "--table", table, p.dir / "t.csv"}).rc, 0);
        EXPECT_EQ(ReadText(p.dir / file), once);
        ASSERT_EQ(Cli({"export", p.dir.path(), "--table", table, "-o", p.dir / "u.csv"}).rc, 0);
        EXPECT_EQ(ReadText(p.dir / "u.csv"), csv);
        EXPECT_NE(once.find(table == std::string("diagnosis") ? "<ID>9</ID>" : "Slave_ID"),
                  std::string::npos);
    }
}

TEST(CsvCommand, ImportReplacesOneTableAllOrNothing) {
    Project p;
    ASSERT_EQ(Cli({"export", p.dir.path(), "--table", "write", "-o", p.dir / "w.csv"}).rc, 0);
    WriteText(p.dir / "new.csv", "N°;Slave ID;Type;Address Register;NPoint;SWAP;Address DeviceNet;"
                                 "Mnemonic\r\n1;9;Input Register;300;2;Y;6;\"x;y\"\r\n");
    CliResult ok = Cli({"import", p.dir.path(), "--table", "read", p.dir / "new.csv"});
    ASSERT_EQ(ok.rc, 0) << ok.err;
    EXPECT_NE(ok.out.find("Imported 1 rows"), std::string::npos);
    ASSERT_EQ(Cli({"export", p.dir.path(), "--table", "read", "-o", p.dir / "r.csv"}).rc, 0);
    EXPECT_EQ(ReadText(p.dir / "r.csv"),
              "N°,Slave ID,Type,Address Register,NPoint,SWAP,Address DeviceNet,Mnemonic\r\n"
              "1,9,Input Register,300,2,Y,6,\"x;y\"\r\n");
    // The write table is untouched.
    ASSERT_EQ(Cli({"export", p.dir.path(), "--table", "write", "-o", p.dir / "w2.csv"}).rc, 0);
    EXPECT_EQ(ReadText(p.dir / "w2.csv"), ReadText(p.dir / "w.csv"));

    const std::string sdo = ReadText(p.dir / "sdo.xml");
    WriteText(p.dir / "bad.csv",
              "N°,Slave ID,Type,Address Register,NPoint,SWAP,Address DeviceNet,"
              "Mnemonic\r\n1,9,Input Register,300,2,Y,6,\r\n2,0,Coil,1,1,N,9999,\r\n");
    CliResult bad = Cli({"import", p.dir.path(), "--table", "read", p.dir / "bad.csv"});
    EXPECT_EQ(bad.rc, 1);
    EXPECT_EQ(bad.err, "The file was not imported:\n"
                       "Row 3: Slave ID must be between 1 and 250.\n"
                       "Row 3: Type must be Coil Status or Input Status or Holding Register or "
                       "Input Register.\n"
                       "Row 3: Address DeviceNet must be between 0 and 20.\n");
    EXPECT_EQ(ReadText(p.dir / "sdo.xml"), sdo);
}

// Every text the files can hold survives export then import, in both tables:
// control bytes, bytes that are not UTF-8, formulas, an empty SWAP.
TEST(CsvCommand, HostileTextsRoundTripToTheSameSdoXml) {
    Project p;
    AccessMap map;
    const char* const texts[] = {"bel\x07 soh\x01 del\x7F",
                                 "caf\xE9 \xC0\xAF \xED\xA0\x80 \xFF",
                                 "cr\r lf\n tab\t",
                                 "=cmd|' /C calc'!A0",
                                 "+1+1",
                                 "-2+3",
                                 "@SUM(A1:A2)",
                                 "'=A1",
                                 "\t=1",
                                 "-5"};
    int byte = 0;
    for (const char* t : texts) {
        map.In.push_back({"1", "Holding Register", "+0x10", "1", "", std::to_string(byte), t});
        map.Out.push_back({"2", "Coil Status", "+0x10", "1", "N", std::to_string(byte), t});
        byte += 2;
    }
    SaveAccessMap(map, p.dir / "sdo.xml");
    const std::string before = ReadText(p.dir / "sdo.xml");
    for (const char* table : {"read", "write"}) {
        SCOPED_TRACE(table);
        CliResult e = Cli({"export", p.dir.path(), "--table", table, "-o", p.dir / "t.csv"});
        ASSERT_EQ(e.rc, 0) << e.err;
        const std::string csv = ReadText(p.dir / "t.csv");
        for (const char* cell :
             {",'=cmd|' /C calc'!A0\r\n", ",'+1+1\r\n", ",'-2+3\r\n", ",'@SUM(A1:A2)\r\n",
              ",''=A1\r\n", ",\"'\t=1\"\r\n", ",-5\r\n", ",+0x10,"})
            EXPECT_NE(csv.find(cell), std::string::npos) << cell;
        CliResult i = Cli({"import", p.dir.path(), "--table", table, p.dir / "t.csv"});
        ASSERT_EQ(i.rc, 0) << i.err;
        EXPECT_EQ(ReadText(p.dir / "sdo.xml"), before);
    }
}

TEST(CsvCommand, ImportNamesEveryBadRow) {
    Project p;
    const std::string before = ReadText(p.dir / "sdo.xml");
    WriteText(p.dir / "bad.csv",
              std::string("N°,Slave ID,Type,Address Register,NPoint,SWAP,Address DeviceNet,"
                          "Mnemonic\r\n1,1,Coil Status,0,1,N,0,\"a\"b\r\n2,0,Coil Status,0,1,,0,"
                          "\r\n3,1,Coil Status,0,1,N,0,nul\0\r\n4,1,Coil Status,0,1,x,0,\r\n",
                          186));
    CliResult i = Cli({"import", p.dir.path(), "--table", "read", p.dir / "bad.csv"});
    EXPECT_EQ(i.rc, 1);
    EXPECT_EQ(i.err, "The file was not imported:\nRow 2: text after a closing quote.\n"
                     "Row 4: the file is not text (NUL byte).\n");
    EXPECT_EQ(ReadText(p.dir / "sdo.xml"), before);
    // Well formed, every row's own faults are listed, an empty SWAP is none.
    WriteText(
        p.dir / "bad.csv",
        "N°,Slave ID,Type,Address Register,NPoint,SWAP,Address DeviceNet,Mnemonic\r\n"
        "1,0,Coil Status,0,1,,0,\r\n2,1,Coil Status,0,1,x,0,\r\n3,1,Coil Status,0,1,,0,ok\r\n");
    i = Cli({"import", p.dir.path(), "--table", "read", p.dir / "bad.csv"});
    EXPECT_EQ(i.rc, 1);
    EXPECT_EQ(i.err, "The file was not imported:\nRow 2: Slave ID must be between 1 and 250.\n"
                     "Row 3: SWAP must be Y or N.\n");
}

TEST(CsvCommand, Usage) {
    Project p;
    struct Case {
        std::vector<std::string> args;
        int rc;
        const char* err;
    } cases[] = {
        {{"export", p.dir.path(), "-o", "x.csv"}, 2, "--table must be read, write or diagnosis"},
        {{"export", p.dir.path(), "--table", "pdo", "-o", "x.csv"}, 2, "--table must be"},
        {{"export", p.dir.path(), "--table", "read"}, 2, "-o FILE is needed"},
        {{"import", p.dir.path(), "--table", "read"}, 2, "a CSV file is needed"},
        {{"import", p.dir / "nope", "--table", "read", "f.csv"}, 1, "is not a folder"},
        {{"import", p.dir.path(), "--table", "read", p.dir / "missing.csv"}, 1, "Cannot open file"},
    };
    for (const Case& c : cases) {
        CliResult r = Cli(c.args);
        EXPECT_EQ(r.rc, c.rc) << c.args[1];
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
}
} // namespace
