// The command line on the project model: check, build, map and import see
// every stored row the same way.
#include "CliRun.h"
#include "TempDir.h"
#include "WorkedExample.h"
#include "core/project/FileSystem.h"

#include <gtest/gtest.h>

namespace {
CliResult Cli(const std::vector<std::string>& args) {
    return RunProgram(CLI_PATH, args);
}

std::string Row(const std::string& slave, const std::string& type, int deviceNet,
                const std::string& mnemonic = "") {
    return "<row Slave_ID=\"" + slave + "\" Type=\"" + type +
           "\" Address_Mod=\"10\" NPoint=\"1\" Swap=\"N\" Address_DeviceNet=\"" +
           std::to_string(deviceNet) + "\" Mnemonic=\"" + mnemonic + "\"/>";
}

std::string Sdo(const std::string& in, const std::string& out) {
    return "<Serial_to_ProfiBus><DeviceNet_IN>" + in + "</DeviceNet_IN><DeviceNet_OUT>" + out +
           "</DeviceNet_OUT></Serial_to_ProfiBus>";
}

struct Folder {
    TempDir dir;
    explicit Folder(const std::string& sdo, bool bin = true) {
        WriteText(dir / "pargen.xml", ExamplePargen);
        WriteText(dir / "sdo.xml", sdo);
        if (bin) CreateDir(dir / "bin");
    }
};

TEST(ProjectModelCli, ImportingOneTableKeepsTheOtherByteForByte) {
    // A write table with a row below an empty Slave ID: the file keeps it.
    const std::string out = "<DeviceNet_OUT>" + Row("1", "Coil Status", 0, "w1") +
                            Row("", "Coil Status", 1, "gap") + Row("3", "Coil Status", 2, "w3") +
                            "</DeviceNet_OUT>";
    Folder p("<Serial_to_ProfiBus><DeviceNet_IN>" + Row("1", "Coil Status", 0) + "</DeviceNet_IN>" +
             out + "</Serial_to_ProfiBus>");
    WriteText(p.dir / "read.csv",
              "N°,Slave ID,Type,Address Register,NPoint,SWAP,Address DeviceNet,Mnemonic\r\n"
              "1,7,Input Register,300,2,Y,6,new\r\n");
    CliResult r = Cli({"import", p.dir.path(), "--table", "read", p.dir / "read.csv"});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string sdo = ReadText(p.dir / "sdo.xml");
    EXPECT_NE(sdo.find(out), std::string::npos) << sdo;
    EXPECT_NE(sdo.find("Mnemonic=\"new\""), std::string::npos) << sdo;
}

struct CheckCase {
    const char* name;
    std::string sdo;
    const char* line; // a line check must print
};

class CheckFinds : public testing::TestWithParam<CheckCase> {};

// What the image cannot hold faithfully is an error of check, build refuses
// it and names the cell, and --force still names the row it stops at.
TEST_P(CheckFinds, AndBuildRefuses) {
    const CheckCase& c = GetParam();
    Folder p(c.sdo);
    CliResult check = Cli({"check", p.dir.path()});
    EXPECT_EQ(check.rc, 1) << check.out;
    EXPECT_NE(check.out.find(c.line), std::string::npos) << check.out;
    CliResult build = Cli({"build", p.dir.path()});
    EXPECT_EQ(build.rc, 1);
    EXPECT_NE(build.err.find(c.line), std::string::npos) << build.err;
    EXPECT_FALSE(FileExists(p.dir / "bin/bank.bin"));
}

std::string Rows(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += Row("1", "Coil Status", i % 20);
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckFinds,
    testing::Values(
        CheckCase{"ReadTypeCoil", Sdo(Row("1", "Coil", 0), ""),
                  "sdo.xml:read:1:Type: error: Error row 1!! [DeviceNet IN --> Serial Read] Type "
                  "must be Coil Status or Input Status or Holding Register or Input Register."},
        CheckCase{"WriteInputStatus", Sdo("", Row("1", "Input Status", 0)),
                  "sdo.xml:write:1:Type: error: Error row 1!! [Serial Write --> DeviceNet OUT] "
                  "Type must be Coil Status or Holding Register."},
        CheckCase{"EmptySlaveId", Sdo(Row("1", "Coil Status", 0) + Row("", "Coil Status", 1), ""),
                  "sdo.xml:read:2:Slave ID: error: Error row 2!! [DeviceNet IN --> Serial Read] "
                  "Slave ID must be between 1 and 250."},
        CheckCase{"RowsPast455",
                  Sdo(Rows(455) + "<row Slave_ID=\"999\" Type=\"Coil Status\" "
                                  "Address_Mod=\"70000\" NPoint=\"300\" Swap=\"N\" "
                                  "Address_DeviceNet=\"9999\" Mnemonic=\"\"/>",
                      ""),
                  "sdo.xml:read:456:Slave ID: error: Error row 456!! [DeviceNet IN --> Serial "
                  "Read] A table holds at most 455 rows."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProjectModelCli, ForcedBuildNamesTheRowItStopsAt) {
    Folder p(Sdo(Row("1", "Coil Status", 0) + Row("", "Coil Status", 1), ""));
    CliResult r = Cli({"build", p.dir.path(), "--force"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("tessaro-cli: Error in sdo.xml: read table row 2, Slave ID: '' is not a "
                         "valid integer value"),
              std::string::npos)
        << r.err;
}

TEST(ProjectModelCli, BuildMakesAMissingBinFolder) {
    Folder p(ExampleSdo, false);
    CliResult r = Cli({"build", p.dir.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(ReadText(p.dir / "bin/bank.bin"), ExampleBank);
}

// The map places every stored row, as the image does.
TEST(ProjectModelCli, MapAndDumpDescribeTheSameRows) {
    Folder p(ExampleSdo);
    ASSERT_EQ(Cli({"build", p.dir.path()}).rc, 0);
    CliResult map = Cli({"map", p.dir.path(), "--json"});
    ASSERT_EQ(map.rc, 0) << map.err;
    EXPECT_NE(map.out.find("\"first\": 0, \"length\": 4"), std::string::npos) << map.out;
    EXPECT_NE(map.out.find("\"first\": 4, \"length\": 1"), std::string::npos) << map.out;
}

} // namespace
