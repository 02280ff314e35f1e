// tessaro-cli probe against the pymodbus slave on a pty (tests/support/modbus_sim.py).
#include "ModbusSim.h"
#include "TempDir.h"
#include "core/editors/AccessMap.h"
#include "core/editors/CommParams.h"

#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace {
struct Outcome {
    int rc = -1;
    std::string out, err;
};

Outcome Shell(const std::string& line) {
    TempDir tmp;
    const std::string cmd = "(" + line + ") >" + (tmp / "out") + " 2>" + (tmp / "err");
    const int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128, ReadText(tmp / "out"),
            ReadText(tmp / "err")};
}

Outcome Cli(const std::string& args) {
    return Shell(std::string(CLI_PATH) + " " + args);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

struct Project {
    TempDir dir;
    Project(int protocol, std::vector<AccessRow> in, std::vector<AccessRow> out = {}) {
        CommParams p;
        p.SerProt = protocol;
        p.SerTO = "150";
        p.SerCD = "0";
        WriteText(dir / "pargen.xml", CommParamsXml(p));
        AccessMap map;
        map.In = std::move(in);
        map.Out = std::move(out);
        WriteText(dir / "sdo.xml", AccessMapXml(map));
    }
};

AccessRow R(const char* slave, const char* type, const char* address, const char* points,
            const char* mnemonic = "") {
    return {slave, type, address, points, "N", "0", mnemonic};
}

TEST(ProbeCommand, OneLineARowThenTheSummary) {
    ModbusSim sim;
    Project p(0,
              {R("1", "Holding Register", "9", "2", "Temp"), R("1", "Input Status", "0", "3"),
               R("1", "Input Register", "200", "1"), R("2", "Coil Status", "0", "1"),
               R("3", "Holding Register", "0", "1")},
              {R("1", "Coil Status", "0", "4", "Run")});
    Outcome r = Cli("probe " + p.dir.path() + " --port " + sim.port() + " --repeat 2");
    EXPECT_EQ(r.rc, 1) << r.err;
    auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 15u) << r.out;
    const char* expected[] = {
        "pass 1 of 2",
        "read 1: slave 1, Holding Register 9, 2 points (Temp): answered: 0x0109 265 265; 0xFFFE "
        "65534 -2, ",
        "read 2: slave 1, Input Status 0, 3 points: answered: 0 1 0, ",
        "read 3: slave 1, Input Register 200, 1 point: exception 02 Illegal Data Address, ",
        "read 4: slave 2, Coil Status 0, 1 point: no answer, ",
        "read 5: slave 3, Holding Register 0, 1 point: bad frame: CRC error, ",
        "write 1: slave 1, Coil Status 0, 4 points (Run): answered: 1 0 0 1, ",
        "pass 2 of 2"};
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(lines[i].substr(0, std::string(expected[i]).size()), expected[i]);
    EXPECT_EQ(lines.back(), "6 answered, 2 exceptions, 2 no answer, 2 bad frames");
}

TEST(ProbeCommand, JsonAndExitZeroWhenEveryRowAnswers) {
    for (int protocol : {0, 1, 2}) {
        ModbusSim sim(protocol == 1 ? "ascii" : "rtu");
        Project p(protocol,
                  {R("1", "Holding Register", "9", "2"), R("11", "Input Register", "0", "1")});
        Outcome r = Cli("probe " + p.dir.path() + " --port " + sim.port() + " --json");
        EXPECT_EQ(r.rc, 0) << protocol << r.err << r.out;
        EXPECT_NE(r.out.find("\"outcome\": \"answered\", \"text\": \"answered\", \"exception\": "
                             "null, \"values\": [265, 65534], \"ms\": "),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find("\"values\": [8192]"), std::string::npos);
        EXPECT_NE(r.out.find("\"summary\": {\"answered\": 2, \"exceptions\": 0"),
                  std::string::npos);
    }
}

// Every row answers, but the results cannot be written: exit 1, as for every
// command whose standard output fails.
TEST(ProbeCommand, FullStandardOutputIsExitOne) {
    ModbusSim sim;
    Project p(0, {R("1", "Holding Register", "9", "2")});
    for (const char* json : {"", " --json"}) {
        Outcome r = Cli("probe " + p.dir.path() + " --port " + sim.port() + json + " >/dev/full");
        EXPECT_EQ(r.rc, 1) << json << r.err;
        EXPECT_EQ(r.err, "tessaro-cli: cannot write to standard output: No space left on device\n");
    }
}

TEST(ProbeCommand, PortsThatCannotBeOpenedAndWrongUsage) {
    ModbusSim sim;
    Project p(0, {R("1", "Holding Register", "9", "2")});
    struct {
        std::string args;
        int rc;
        const char* says;
    } cases[] = {
        {"--port /dev/tessaro-missing", 2, "missing: no such port"},
        {"--port " + sim.port() + " --data-bits 9", 2, "--data-bits takes 7 or 8"},
        {"--port " + sim.port() + " --stop-bits 3", 2, "--stop-bits takes 1 or 2"},
        {"--port " + sim.port() + " --repeat 0", 2, "--repeat needs"},
        {"", 2, "probe needs --port DEVICE"},
    };
    for (const auto& c : cases) {
        Outcome r = Cli("probe " + p.dir.path() + " " + c.args);
        EXPECT_EQ(r.rc, c.rc) << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    // Held by another process: flock(1) takes the lock the port takes.
    Outcome r = Shell("flock " + sim.port() + " sh -c '" + CLI_PATH + " probe " + p.dir.path() +
                      " --port " + sim.port() + "; echo rc=$?'");
    EXPECT_NE(r.out.find("rc=2"), std::string::npos) << r.out << r.err;
    EXPECT_NE(r.err.find("in use by another program"), std::string::npos) << r.err;
    // Data and stop bits of the standard's other variants are taken.
    EXPECT_EQ(Cli("probe " + p.dir.path() + " --port " + sim.port() + " --stop-bits 2").rc, 0);
}

TEST(ProbeCommand, ProtocolsThatAreNotModbus) {
    for (int protocol : {3, 4}) {
        Project p(protocol, {R("1", "Holding Register", "9", "2")});
        Outcome r = Cli("probe " + p.dir.path() + " --port /dev/null");
        EXPECT_EQ(r.rc, 1);
        EXPECT_NE(r.err.find("which is not Modbus: the probe cannot test it"), std::string::npos);
    }
}
} // namespace
