#include "CliRun.h"
#include "TempDir.h"
#include "WorkedExample.h"
#include "core/device/GsdWriter.h"
#include "core/project/FileSystem.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {
using Result = CliResult;

// Runs the real executable and collects its exit code and both outputs.
Result Cli(const std::vector<std::string>& args) {
    return RunProgram(CLI_PATH, args);
}

struct Project {
    TempDir dir;
    Project(const char* pargen, const char* sdo, bool bin = true) {
        if (pargen) WriteText(dir / "pargen.xml", pargen);
        if (sdo) WriteText(dir / "sdo.xml", sdo);
        if (bin) CreateDir(dir / "bin");
    }
};
// The model of the same name is declared by the headers.
using Folder = Project;

TEST(Cli, BuildsAndDumpsTheWorkedExample) {
    Project p(ExamplePargen, ExampleSdo);
    Result b = Cli({"build", p.dir.path()});
    EXPECT_EQ(b.rc, 0) << b.err;
    EXPECT_EQ(ReadText(p.dir / "bin/bank.bin"), ExampleBank);
    EXPECT_NE(b.out.find("46 bytes"), std::string::npos);

    Result d = Cli({"dump", p.dir.path()});
    EXPECT_EQ(d.rc, 0) << d.err;
    for (const char* line :
         {"46 bytes", "parameter block at 24",
          "1: slave 1, Holding Register, address 100, points 2, DeviceNet byte 0, swap no",
          "1: slave 2, Coil Status, address 10, points 8, DeviceNet byte 4, swap no",
          "Serial baud rate: 115200", "Parity: NONE", "Line: RS232", "Write mode: cyclic write",
          "DeviceNet node: 20", "DeviceNet baud rate: 125K", "DeviceNet input bytes: 20",
          "Consecutive errors: 1", "Modbus error check: disabled"})
        EXPECT_NE(d.out.find(line), std::string::npos) << line;

    Result j = Cli({"dump", p.dir / "bin/bank.bin", "--json"});
    EXPECT_EQ(j.rc, 0);
    EXPECT_NE(j.out.find("\"length\": 46"), std::string::npos);
    EXPECT_NE(j.out.find("\"serialBaud\": \"115200\""), std::string::npos);
    EXPECT_NE(j.out.find("\"typeName\": \"Coil Status\""), std::string::npos);

    // -o writes elsewhere, byte for byte the same.
    Result o = Cli({"build", p.dir.path(), "-o", p.dir / "copy.bin"});
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(ReadText(p.dir / "copy.bin"), ExampleBank);
}

// "-" as the target writes to standard output exactly what a file would get,
// and nothing else; import reads "-" from standard input.
TEST(Cli, DashIsStandardOutputAndInput) {
    Project p(ExamplePargen, ExampleSdo);
    const std::string dir = p.dir.path(), file = p.dir / "out";
    const struct {
        std::vector<std::string> toFile, toStdout;
    } cases[] = {
        {{"build", dir, "-o", file}, {"build", dir, "-o", "-"}},
        {{"export", dir, "--table", "read", "-o", file},
         {"export", dir, "--table", "read", "-o", "-"}},
        {{"report", dir, "-o", file, "--date", "2026-01-02"},
         {"report", dir, "-o", "-", "--date", "2026-01-02"}},
        {{"gsd", dir, file}, {"gsd", dir, "-"}},
    };
    for (const auto& c : cases) {
        Result f = Cli(c.toFile);
        ASSERT_EQ(f.rc, 0) << c.toFile[0] << f.err;
        Result o = Cli(c.toStdout);
        EXPECT_EQ(o.rc, 0) << c.toStdout[0] << o.err;
        EXPECT_EQ(o.out, ReadText(file)) << c.toStdout[0];
        EXPECT_FALSE(FileExists(p.dir / "-"));
    }

    // The exported write table goes back in through standard input.
    ASSERT_EQ(Cli({"export", dir, "--table", "write", "-o", file}).rc, 0);
    const std::string before = ReadText(p.dir / "sdo.xml");
    Result in = RunProgram(CLI_PATH, {"import", dir, "--table", "write", "-"}, {}, file);
    EXPECT_EQ(in.rc, 0) << in.err;
    EXPECT_NE(in.out.find("Imported 1 rows"), std::string::npos) << in.out;
    EXPECT_EQ(ReadText(p.dir / "sdo.xml"), before);
    // A bad row on standard input is refused like one in a file.
    WriteText(file, "garbage\r\n");
    Result bad = RunProgram(CLI_PATH, {"import", dir, "--table", "write", "-"}, {}, file);
    EXPECT_EQ(bad.rc, 1);
    EXPECT_EQ(ReadText(p.dir / "sdo.xml"), before);
}

TEST(Cli, BuildStopsOnBadProjects) {
    struct Case {
        const char* pargen;
        const char* sdo;
        bool bin;
        const char* errorPart;
    };
    const Case cases[] = {
        {ExamplePargen,
         "<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\"x\"/></DeviceNet_IN>"
         "<DeviceNet_OUT/></Serial_to_ProfiBus>",
         // The check stops it first, at the row's cells.
         true, "sdo.xml:read:1:Slave ID: error: Error row 1!!"},
        {ExamplePargen, "garbage", true, "sdo.xml"},
        {"<Par_Gen><Ser_Baud>7</Ser_Baud></Par_Gen>", nullptr, true, ""},
    };
    for (const Case& c : cases) {
        Project p(c.pargen, c.sdo, c.bin);
        Result r = Cli({"build", p.dir.path()});
        EXPECT_EQ(r.rc, 1) << c.errorPart;
        EXPECT_NE(r.err.find(c.errorPart), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_FALSE(FileExists(p.dir / "bin/bank.bin"));
    }
}

TEST(Cli, DumpRejectsImagesThatDoNotMatchTheLayout) {
    const std::string pblock(22, '\0');
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty", ""},
        {"short header", std::string("\x08\x00\x00\x00\x08", 5)},
        {"first offset", std::string("\x09\x00\x00\x00\x08\x00\x00\x00", 8)},
        {"block offset past end", std::string("\x08\x00\x00\x00\x40\x00\x00\x00", 8)},
        {"negative block offset", std::string("\x08\x00\x00\x00\xFF\xFF\xFF\xFF", 8)},
        {"block offset inside a record",
         std::string("\x08\x00\x00\x00\x0C\x00\x00\x00", 8) + std::string(8, '\1')},
        {"truncated block", ExampleBank.substr(0, 40)},
        {"counts disagree",
         ExampleBank.substr(0, 38) + std::string("\x05\x00", 2) + ExampleBank.substr(40)},
    };
    TempDir dir;
    for (const auto& [name, bytes] : cases) {
        WriteText(dir / "bank.bin", bytes);
        Result r = Cli({"dump", dir / "bank.bin"});
        EXPECT_EQ(r.rc, 1) << name;
        EXPECT_FALSE(r.err.empty()) << name;
        EXPECT_TRUE(r.out.empty()) << name << ": " << r.out;
    }
    // Records without a parameter block are listed raw.
    WriteText(dir / "bank.bin", std::string("\x08\x00\x00\x00\x10\x00\x00\x00", 8) +
                                    std::string("\x01\x03\x64\x00\x02\x00\x00\x00", 8));
    Result r = Cli({"dump", dir / "bank.bin"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("1: 01 03 64 00 02 00 00 00"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("No parameter block"), std::string::npos);
}

TEST(Cli, CheckReportsEveryFailureWithTheDialogsMessages) {
    Project p("<Par_Gen><Ser_Baud>7</Ser_Baud><Ser_Par>0</Ser_Par><Ser_TO>10001</Ser_TO>"
              "<Ser_CD>1</Ser_CD><Ser_Type>1</Ser_Type><Ser_Prot>0</Ser_Prot>"
              "<Ser_Write_Mode>0</Ser_Write_Mode><DN_ID>64</DN_ID><DN_Baud>0</DN_Baud>"
              "<DN_NB_IN>20</DN_NB_IN><DN_NB_OUT>20</DN_NB_OUT>"
              "<DN_Enable_Error>0</DN_Enable_Error><DN_Num_Cont_Err>1</DN_Num_Cont_Err>"
              "<DN_Val_Canc_Data>0x00</DN_Val_Canc_Data></Par_Gen>",
              "<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\"1\" Type=\"Coil Status\" "
              "Address_Mod=\"0\" NPoint=\"1\" Swap=\"N\" Address_DeviceNet=\"21\" Mnemonic=\"\"/>"
              "</DeviceNet_IN><DeviceNet_OUT/></Serial_to_ProfiBus>");
    WriteText(p.dir / "diagnosis.xml", "<Modbus_IDs><ID>0</ID></Modbus_IDs>");
    Result r = Cli({"check", p.dir.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(
        r.out,
        "pargen.xml:::TimeOut: error: Error!! Serial TimeOut must be between 0 and 10000 mS. \n"
        "pargen.xml:::ID Dev.: error: Error!! DeviceNet address must be between 0 and 63. \n"
        "sdo.xml:read:1:Address DeviceNet: error: Error row 1!! [DeviceNet IN --> Serial "
        "Read] Address DeviceNet must be between 0 and 20. \n"
        "sdo.xml:read::: info: 20 of the 20 bytes of N Byte IN are used by no row: 0-19.\n"
        "sdo.xml:write::: info: 20 of the 20 bytes of N Byte OUT are used by no row: 0-19.\n"
        "diagnosis.xml:ids:1:Modbus Slave ID: error: Error row 1!! Modbus ID must be between "
        "1 and 255. \n"
        "4 errors, 0 warnings, 2 infos\n");

    // A project without files has no communication parameters.
    TempDir empty;
    Result e = Cli({"check", empty.path()});
    EXPECT_EQ(e.rc, 1) << e.out;
    EXPECT_EQ(e.out.rfind("pargen.xml:::: error: no communication parameters\n", 0), 0u) << e.out;

    // Unreadable files are failures with the reading error, never a crash.
    Project bad("\x01\x02garbage", "<Serial_to_ProfiBus/>");
    Result b = Cli({"check", bad.dir.path()});
    EXPECT_EQ(b.rc, 1);
    EXPECT_EQ(b.out.rfind("pargen.xml:::: error: ", 0), 0u) << b.out;
    // No lists: an error of each table.
    EXPECT_NE(b.out.find("sdo.xml:read::: error: Element 'DeviceNet_IN' not found"),
              std::string::npos)
        << b.out;
}

namespace {
// The worked example with a second read row on the bytes of the first.
std::string OverlapSdo() {
    std::string sdo = ExampleSdo;
    const std::string row = "<row Slave_ID=\"3\" Type=\"Input Register\" Address_Mod=\"7\" "
                            "NPoint=\"1\" Swap=\"N\" Address_DeviceNet=\"2\" Mnemonic=\"b\"/>";
    return sdo.insert(sdo.find("</DeviceNet_IN>"), row);
}
} // namespace

TEST(Cli, CheckExitStatusJsonAndStrict) {
    Project clean(ExamplePargen, ExampleSdo);
    const std::string overlap = OverlapSdo();
    Project warned(ExamplePargen, overlap.c_str());
    Project broken(nullptr, ExampleSdo);
    struct Case {
        const Project& p;
        std::vector<std::string> options;
        int rc;
    };
    const Case cases[] = {
        {clean, {}, 0},          {clean, {"--strict"}, 0},
        {warned, {}, 0},         {warned, {"--strict"}, 1},
        {warned, {"--json"}, 0}, {broken, {"--json"}, 1},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"check", c.p.dir.path()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        Result r = Cli(args);
        EXPECT_EQ(r.rc, c.rc) << r.out;
    }
    Result w = Cli({"check", warned.dir.path()});
    EXPECT_NE(w.out.find("sdo.xml:read:2:Address DeviceNet: warning: Row 2 shares DeviceNet "
                         "bytes 2 to 3 with row 1 (slave 1, Holding Register, address 100, a).\n"),
              std::string::npos)
        << w.out;
    Result j = Cli({"check", warned.dir.path(), "--json"});
    EXPECT_EQ(j.out.rfind("[\n  {\"severity\": \"warning\", \"file\": \"sdo.xml\", \"table\": "
                          "\"read\", \"row\": 2, \"column\": \"Address DeviceNet\", ",
                          0),
              0u)
        << j.out;
}

TEST(Cli, BuildRefusesErrorsUnlessForced) {
    // No pargen.xml: an 8-byte image used to go to the device.
    Project p(nullptr, ExampleSdo);
    WriteText(p.dir / "bin/bank.bin", "old image");
    Result r = Cli({"build", p.dir.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_NE(r.err.find("pargen.xml:::: error: no communication parameters"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;
    EXPECT_EQ(ReadText(p.dir / "bin/bank.bin"), "old image");

    Result f = Cli({"build", p.dir.path(), "--force"});
    EXPECT_EQ(f.rc, 0) << f.err;
    EXPECT_NE(f.err.find("building despite the errors above (--force)"), std::string::npos);
    EXPECT_NE(f.out.find("Wrote 24 bytes"), std::string::npos) << f.out;
    EXPECT_EQ(ReadText(p.dir / "bin/bank.bin").size(), 24u);

    // Warnings do not stop a build.
    const std::string overlap = OverlapSdo();
    Project w(ExamplePargen, overlap.c_str());
    EXPECT_EQ(Cli({"build", w.dir.path()}).rc, 0);
}

TEST(Cli, MapPrintsTheBytesOfEveryRow) {
    const std::string overlap = OverlapSdo();
    Project p(ExamplePargen, overlap.c_str());
    Result r = Cli({"map", p.dir.path()});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "N Byte IN = 20 (read table)\n"
                     "  0-1: row 1 (slave 1, Holding Register, address 100, a)\n"
                     "  2-3: row 1 (slave 1, Holding Register, address 100, a) + row 2 (slave 3, "
                     "Input Register, address 7, b) [overlap]\n"
                     "  4-19: unused\n"
                     "N Byte OUT = 20 (write table)\n"
                     "  0-3: unused\n"
                     "  4: row 1 (slave 2, Coil Status, address 10, b)\n"
                     "  5-19: unused\n"
                     "Registers take two bytes a point; coils and inputs take one bit a point, "
                     "rounded up to whole bytes.\n");
    Result j = Cli({"map", p.dir.path(), "--json"});
    EXPECT_EQ(j.rc, 0);
    EXPECT_NE(j.out.find("\"cells\": [[1], [1], [1, 2], [1, 2], []"), std::string::npos) << j.out;
    EXPECT_EQ(Cli({"map", p.dir.path(), "x"}).rc, 2);
}

TEST(Cli, GsdWritesTheDescription) {
    Project p(ExamplePargen, nullptr);
    Result r = Cli({"gsd", p.dir.path(), p.dir / "out.gsd"});
    EXPECT_EQ(r.rc, 0) << r.err;
    // No Profibus sizes: the editors' 244 each.
    EXPECT_EQ(ReadText(p.dir / "out.gsd"), ComposeGsd(244, 244));
}

TEST(Cli, UsageAndHelp) {
    struct Case {
        std::vector<std::string> args;
        int rc;
        const char* text; // expected in stdout (rc 0) or stderr
    };
    const Case cases[] = {
        {{}, 2, "Usage: tessaro-cli COMMAND"},
        {{"--help"}, 0, "Usage: tessaro-cli COMMAND"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"check"}, 2, "Usage: tessaro-cli check"},
        {{"check", "--help"}, 0, "Usage: tessaro-cli check"},
        {{"build", "--help"}, 0, "[-o FILE]"},
        {{"build", "x", "-o"}, 2, "-o needs a file name"},
        {{"dump", "-h"}, 0, "--json"},
        {{"dump", "a", "b"}, 2, "unexpected argument 'b'"},
        {{"gsd", "only-one"}, 2, "Usage: tessaro-cli gsd"},
        {{"check", "/nonexistent/folder"}, 1, "is not a folder"},
        {{"map"}, 2, "Usage: tessaro-cli map"},
        {{"build", "--help"}, 0, "--force"},
    };
    for (const Case& c : cases) {
        Result r = Cli(c.args);
        EXPECT_EQ(r.rc, c.rc) << c.text;
        const std::string& where = c.rc == 0 ? r.out : r.err;
        EXPECT_NE(where.find(c.text), std::string::npos) << c.text << "\n" << where;
    }
}

// Every command reads switches, options and its folder alike: the first line
// of the error names the first thing wrong.
TEST(Cli, CommandsReadTheirArgumentsAlike) {
    struct Case {
        std::vector<std::string> args;
        int rc;
        const char* firstLine;
    };
    const Case cases[] = {
        {{"check", "--json", "--strict"}, 2, "check takes one project folder"},
        {{"check", "a", "b"}, 2, "unexpected argument 'b'"},
        {{"check", ""}, 2, "unexpected argument ''"},
        {{"map", "--json", "--json"}, 2, "map takes one project folder"},
        {{"map", "--strict", "x"}, 2, "unexpected argument '--strict'"},
        {{"dump", "--json"}, 2, "dump needs a file or a project folder"},
        // An option's value is never the folder, and may start with '-'.
        {{"build", "-o", "x"}, 2, "build needs a project folder"},
        {{"build", "/nonexistent", "-o", "-x", "--force"}, 1, "'/nonexistent' is not a folder"},
        {{"report", "/nonexistent", "--date"}, 2, "--date needs a value"},
        {{"report", "/nonexistent", "-o", "r.html", "--date", "d", "e"},
         2,
         "unexpected argument 'e'"},
        {{"report", "/nonexistent"}, 2, "-o FILE is needed"},
        {{"report", "-o", "r.html", "/nonexistent"}, 1, "'/nonexistent' is not a folder"},
    };
    for (const Case& c : cases) {
        Result r = Cli(c.args);
        EXPECT_EQ(r.rc, c.rc) << c.firstLine;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), std::string("tessaro-cli: ") + c.firstLine);
    }
}
} // namespace

namespace {
std::string DeeplyNested(const std::string& root, int depth) {
    std::string s = "<" + root + ">";
    for (int i = 0; i < depth; ++i)
        s += "<a>";
    for (int i = 0; i < depth; ++i)
        s += "</a>";
    return s + "</" + root + ">";
}
} // namespace

// A hostile document of 100,000 nested elements (about 1.4 MB) is refused with
// the file named; every command exits 1 and writes nothing.
TEST(Cli, DeeplyNestedDocumentsAreRefusedAndNothingIsWritten) {
    struct Case {
        const char* file;
        std::vector<std::string> command; // the project folder is added after
        const char* output;               // must not exist afterwards
    };
    const Case cases[] = {
        {"pargen.xml", {"check"}, nullptr},        {"diagnosis.xml", {"check"}, nullptr},
        {"pargen.xml", {"build"}, "bin/bank.bin"}, {"sdo.xml", {"build"}, "bin/bank.bin"},
        {"pargen.xml", {"gsd"}, "out.gsd"},
    };
    for (const Case& c : cases) {
        Folder p(ExamplePargen, ExampleSdo);
        const std::string root = std::string(c.file) == "pargen.xml" ? "Par_Gen"
                                 : std::string(c.file) == "sdo.xml"  ? "Serial_to_ProfiBus"
                                                                     : "Diagnosis";
        WriteText(p.dir / c.file, DeeplyNested(root, 100000));
        std::vector<std::string> args = c.command;
        args.push_back(p.dir.path());
        if (c.command[0] == "gsd") args.push_back(p.dir / "out.gsd");
        Result r = Cli(args);
        EXPECT_EQ(r.rc, 1) << c.file << " " << c.command[0] << r.err;
        EXPECT_NE((r.out + r.err).find(p.dir / c.file), std::string::npos)
            << c.file << " " << c.command[0] << ": " << r.out << r.err;
        EXPECT_NE((r.out + r.err).find("nested deeper than 1000"), std::string::npos)
            << r.out << r.err;
        if (c.output) {
            EXPECT_FALSE(FileExists(p.dir / c.output)) << c.file;
        }
    }
}

// A read-only target is never replaced, root or not; the command says so.
TEST(Cli, ReadOnlyTargetsAreLeftAlone) {
    struct Case {
        std::vector<std::string> args; // "<p>" stands for the project folder
        const char* target;            // relative to the project folder
    };
    const Case cases[] = {{{"build", "<p>"}, "bin/bank.bin"},
                          {{"build", "<p>", "-o", "<p>/copy.bin"}, "copy.bin"},
                          {{"gsd", "<p>", "<p>/out.gsd"}, "out.gsd"}};
    for (const Case& c : cases) {
        Folder p(ExamplePargen, ExampleSdo);
        const std::string target = p.dir / c.target;
        WriteText(target, "keep");
        ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
        std::vector<std::string> args;
        for (const std::string& a : c.args)
            args.push_back(a.rfind("<p>", 0) == 0 ? p.dir.path() + a.substr(3) : a);
        Result r = Cli(args);
        EXPECT_EQ(r.rc, 1) << c.target;
        EXPECT_NE(r.err.find("Permission denied"), std::string::npos) << r.err;
        EXPECT_EQ(ReadText(target), "keep") << c.target;
    }
}

// An empty option value, an option given twice and a number out of its range
// are wrong usage, named, and nothing is written (not even the default file).
TEST(Cli, EmptyRepeatedAndOutOfRangeOptionsAreRefused) {
    Folder p(ExamplePargen, ExampleSdo);
    const std::string d = p.dir.path();
    const struct {
        std::vector<std::string> args;
        const char* firstLine;
    } cases[] = {
        {{"build", d, "-o", ""}, "-o needs a non-empty value"},
        {{"export", d, "--table", "read", "-o", ""}, "-o needs a non-empty value"},
        {{"export", d, "--table", "", "-o", d + "/x"}, "--table needs a non-empty value"},
        {{"import", d, "--table", "", d + "/x"}, "--table needs a non-empty value"},
        {{"report", d, "-o", ""}, "-o needs a non-empty value"},
        {{"report", d, "-o", d + "/r", "--date", ""}, "--date needs a non-empty value"},
        {{"gsd", d, ""}, "gsd needs a non-empty target file"},
        {{"probe", d, "--port", ""}, "--port needs a non-empty value"},
        {{"build", d, "-o", d + "/a", "-o", d + "/b"}, "-o may be given only once"},
        {{"export", d, "--table", "read", "--table", "write", "-o", d + "/x"},
         "--table may be given only once"},
        {{"export", d, "--table", "read", "-o", d + "/x", "-o", d + "/y"},
         "-o may be given only once"},
        {{"import", d, "--table", "read", "--table", "write", d + "/x"},
         "--table may be given only once"},
        {{"report", d, "-o", d + "/a", "-o", d + "/b"}, "-o may be given only once"},
        {{"report", d, "-o", d + "/a", "--date", "1", "--date", "2"},
         "--date may be given only once"},
        {{"probe", d, "--port", "a", "--port", "b"}, "--port may be given only once"},
        {{"probe", d, "--port", "a", "--repeat", "2", "--repeat", "3"},
         "--repeat may be given only once"},
        {{"probe", d, "--port", "a", "--data-bits", "8", "--data-bits", "8"},
         "--data-bits may be given only once"},
        {{"probe", d, "--port", "a", "--stop-bits", "1", "--stop-bits", "2"},
         "--stop-bits may be given only once"},
        {{"probe", d, "--port", "a", "--repeat", "1000001"},
         "--repeat needs a number of passes from 1 to 1000000"},
        {{"probe", d, "--port", "a", "--repeat", "0"},
         "--repeat needs a number of passes from 1 to 1000000"},
        {{"probe", d, "--port", "a", "--repeat"},
         "--repeat needs a number of passes from 1 to 1000000"},
        {{"probe", d, "--port", "a", "--data-bits", "9"}, "--data-bits takes 7 or 8"},
        {{"probe", d, "--port", "a", "--stop-bits", "0"}, "--stop-bits takes 1 or 2"},
        {{"--workspace", d, "--workspace", d, "check", d}, "--workspace may be given only once"},
        {{"--workspace=", "check", d}, "--workspace needs a non-empty value"},
    };
    for (const auto& c : cases) {
        Result r = Cli(c.args);
        EXPECT_EQ(r.rc, 2) << c.firstLine << r.err;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), std::string("tessaro-cli: ") + c.firstLine);
        EXPECT_FALSE(FileExists(p.dir / "bin/bank.bin")) << c.firstLine;
        EXPECT_EQ(r.out, "") << c.firstLine;
    }
}
