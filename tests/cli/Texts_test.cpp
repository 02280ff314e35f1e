// Hostile texts in a project through every output of the command line: JSON
// and HTML stay valid UTF-8 for a strict reader, line formats stay one line.
#include "CliRun.h"
#include "ModbusSim.h"
#include "TempDir.h"
#include "WorkedExample.h"
#include "core/editors/CommParams.h"
#include "core/project/FileSystem.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace {
CliResult Cli(const std::vector<std::string>& args) {
    return RunProgram(CLI_PATH, args);
}

// Exit 0 when the file decodes as strict UTF-8 (and parses, for JSON).
int StrictRead(const std::string& file, bool json) {
    const std::string code = std::string("import json,sys\n"
                                         "t = open(sys.argv[1], 'rb').read().decode('utf-8')\n") +
                             (json ? "json.loads(t)\n" : "");
    return RunProgram("python3", {"-c", code, file}).rc;
}

// Two read rows sharing bytes, so the check and the map name row 1's mnemonic.
std::string Sdo(const std::string& mnemonic) {
    return "<Serial_to_ProfiBus><DeviceNet_IN>"
           "<row Slave_ID=\"1\" Type=\"Holding Register\" Address_Mod=\"100\" NPoint=\"2\" "
           "Swap=\"N\" Address_DeviceNet=\"0\" Mnemonic=\"" +
           mnemonic +
           "\"/><row Slave_ID=\"2\" Type=\"Holding Register\" Address_Mod=\"1\" NPoint=\"1\" "
           "Swap=\"N\" Address_DeviceNet=\"2\" Mnemonic=\"b\"/></DeviceNet_IN>"
           "<DeviceNet_OUT/></Serial_to_ProfiBus>";
}

struct Project {
    TempDir dir;
    std::string path;
    Project(const std::string& mnemonic, const std::string& folder = "p") {
        path = dir / folder;
        ForceDirectories(path + "/bin");
        WriteText(path + "/pargen.xml", ExamplePargen);
        WriteText(path + "/sdo.xml", Sdo(mnemonic));
    }
};

struct BadBytes {
    const char* name;
    std::string bytes, utf8; // utf8: the bytes each read as Latin-1
};

class NotUtf8 : public ::testing::TestWithParam<BadBytes> {};

TEST_P(NotUtf8, EveryJsonAndHtmlOutputIsStrictUtf8) {
    const BadBytes& c = GetParam();
    // The folder name reaches dump's "file" and the report's title.
    Project p("m" + c.bytes + "&lt;h1&gt;", "p" + c.bytes);
    ASSERT_EQ(Cli({"build", p.path, "--force"}).rc, 0);
    struct Output {
        std::vector<std::string> args;
        bool json, namesFolder, namesMnemonic;
    };
    const Output outputs[] = {{{"check", p.path, "--json"}, true, false, true},
                              {{"map", p.path, "--json"}, true, false, true},
                              {{"dump", p.path, "--json"}, true, true, false},
                              {{"report", p.path, "-o", p.dir / "r.html"}, false, true, true}};
    for (const Output& o : outputs) {
        SCOPED_TRACE(o.args[0]);
        CliResult r = Cli(o.args);
        ASSERT_LE(r.rc, 1) << r.err;
        const std::string file = o.json ? p.dir / "out.json" : p.dir / "r.html";
        if (o.json) WriteText(file, r.out);
        const std::string text = ReadText(file);
        EXPECT_EQ(StrictRead(file, o.json), 0) << text;
        // The bytes are shown by the one rule, not dropped or replaced.
        if (o.namesFolder) {
            EXPECT_NE(text.find("/p" + c.utf8), std::string::npos) << text;
        }
        const std::string mnemonic = "m" + c.utf8 + (o.json ? "<h1>" : "&lt;h1&gt;");
        if (o.namesMnemonic) {
            EXPECT_NE(text.find(mnemonic), std::string::npos) << text;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, NotUtf8,
    ::testing::Values(BadBytes{"Latin1E9", "\xE9", "\xC3\xA9"},
                      BadBytes{"LoneContinuation", "\x80", "\xC2\x80"},
                      BadBytes{"Overlong", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
                      BadBytes{"Surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
                      BadBytes{"Truncated", "\xE2\x82", "\xC3\xA2\xC2\x82"},
                      BadBytes{"F5", "\xF5", "\xC3\xB5"}, BadBytes{"FF", "\xFF", "\xC3\xBF"}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

TEST(CliTexts, ControlCharactersNeverBreakALine) {
    // &#10; and &#13; are a line feed and a carriage return in the attribute.
    Project p("two&#10;lines&#13;\x1B[31m\x07\\n", "l\nx");
    const std::string& project = p.path;
    const std::string escaped = "two\\nlines\\r\\x1B[31m\\x07\\\\n";

    CliResult check = Cli({"check", project});
    const std::vector<std::string> lines = Lines(check.out);
    CliResult json = Cli({"check", project, "--json"});
    size_t findings = 0;
    for (size_t at = 0; (at = json.out.find("\"severity\"", at)) != std::string::npos; ++at)
        ++findings;
    ASSERT_GT(findings, 1u);
    ASSERT_EQ(lines.size(), findings + 1) << check.out; // the summary last
    const std::regex finding(R"(^[^:]*:[^:]*:[0-9]*:[^:]*: (error|warning|info): .*$)");
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], finding)) << lines[i];
    EXPECT_NE(check.out.find(escaped), std::string::npos) << check.out;

    CliResult map = Cli({"map", project});
    EXPECT_EQ(map.rc, 0);
    EXPECT_NE(
        map.out.find("  0-1: row 1 (slave 1, Holding Register, address 100, " + escaped + ")\n"),
        std::string::npos)
        << map.out;
    EXPECT_EQ(map.out.find('\x1B'), std::string::npos);
    EXPECT_EQ(map.out.find('\r'), std::string::npos);

    ASSERT_EQ(Cli({"build", project, "--force"}).rc, 0);
    CliResult dump = Cli({"dump", project});
    EXPECT_EQ(dump.rc, 0) << dump.err;
    EXPECT_EQ(Lines(dump.out).at(0).find(p.dir.path() + "/l\\nx"), 0u) << dump.out;
}
// The probe's row lines and JSON, against the slave simulator on a pty.
TEST(CliTexts, ProbeLinesAndJson) {
    ModbusSim sim;
    Project p("two&#10;lines \xE9 \xED\xA0\x80");
    CommParams params;
    params.SerTO = "150";
    params.SerCD = "0";
    WriteText(p.path + "/pargen.xml", CommParamsXml(params));
    CliResult text = Cli({"probe", p.path, "--port", sim.port()});
    const std::vector<std::string> lines = Lines(text.out);
    ASSERT_EQ(lines.size(), 3u) << text.out << text.err; // two rows, the summary
    EXPECT_EQ(lines[0].rfind("read 1: slave 1, Holding Register 100, 2 points (two\\nlines "
                             "\xC3\xA9 \xC3\xAD\xC2\xA0\\x80): ", // U+0080 is a C1 control
                             0),
              0u)
        << lines[0];
    CliResult json = Cli({"probe", p.path, "--port", sim.port(), "--json"});
    WriteText(p.dir / "probe.json", json.out);
    EXPECT_EQ(StrictRead(p.dir / "probe.json", true), 0) << json.out;
    EXPECT_NE(json.out.find("\"mnemonic\": \"two\\nlines \xC3\xA9 \xC3\xAD\xC2\xA0\xC2\x80\""),
              std::string::npos)
        << json.out;
}

} // namespace
