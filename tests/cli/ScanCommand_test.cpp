// tessaro-cli scan against the pymodbus slaves on a pty whose relay passes
// requests only at one baud rate (tests/support/modbus_sim.py).
#include "CliRun.h"
#include "ModbusSim.h"
#include "TempDir.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

namespace {
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

CliResult Scan(const std::string& port, std::vector<std::string> args) {
    args.insert(args.begin(), {"scan", "--port", port});
    return RunProgram(CLI_PATH, args);
}

// 1 and 11 answer, 12 refuses register 0 (exception), 13 ignores 03 but
// answers 01; 2 and 10 are nobody. The fault IDs 3..9 are left out.
const char* const kIds = "1-2,10-13";
const std::vector<std::string> kFoundAt19200 = {
    "slave 1 at 19200 8N1 Modbus RTU (read holding register 0: answered)",
    "slave 11 at 19200 8N1 Modbus RTU (read holding register 0: answered)",
    "slave 12 at 19200 8N1 Modbus RTU (read holding register 0: exception 02)",
    "slave 13 at 19200 8N1 Modbus RTU (read coil 0: answered)"};

TEST(ScanCommand, FindsTheSlavesOnlyAtTheirBaudRate) {
    TempDir tmp;
    ModbusSim sim("rtu", {}, {"--baud=19200", "--requests=" + tmp / "requests"});
    struct {
        const char* bauds;
        bool all;
        int rc;
        std::vector<std::string> found;
        std::string summary;
    } cases[] = {
        {"9600,38400", false, 1, {}, "no slave answered (2 settings x 6 IDs tried)"},
        {"9600,19200,38400", false, 0, kFoundAt19200, "4 slaves found at 19200 8N1"},
        {"19200", false, 0, kFoundAt19200, "4 slaves found at 19200 8N1"},
        // --all goes on past 19200 and finds nobody at 38400 or 57600.
        {"19200,38400,57600", true, 0, kFoundAt19200, "4 slaves found at 19200 8N1"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--ids",    kIds,   "--bauds",   c.bauds,
                                         "--parity", "none", "--timeout", "100"};
        if (c.all) args.push_back("--all");
        CliResult r = Scan(sim.port(), args);
        EXPECT_EQ(r.rc, c.rc) << c.bauds << r.err;
        std::vector<std::string> expected = c.found;
        expected.push_back(c.summary);
        EXPECT_EQ(Lines(r.out), expected) << c.bauds;
        // Not a terminal: no progress line.
        EXPECT_EQ(r.err, "") << c.bauds;
    }
    // Only the two reads were ever sent: nothing is written.
    std::set<std::string> functions;
    for (const std::string& l : Lines(ReadText(tmp / "requests")))
        functions.insert(l.substr(l.find(' ') + 1));
    EXPECT_EQ(functions, (std::set<std::string>{"1", "3"}));
}

TEST(ScanCommand, JsonNamesEachSlaveAndTheSettingsTried) {
    ModbusSim sim("rtu", {}, {"--baud=38400"});
    CliResult r = Scan(sim.port(), {"--ids", "11-12", "--bauds", "9600,38400", "--parity", "none",
                                    "--timeout", "100", "--json"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "{\"found\": [{\"slave\": 11, \"baud\": 38400, \"parity\": \"none\", "
                     "\"dataBits\": 8, \"stopBits\": 1, \"protocol\": \"rtu\", \"reply\": "
                     "\"answered\"}, {\"slave\": 12, \"baud\": 38400, \"parity\": \"none\", "
                     "\"dataBits\": 8, \"stopBits\": 1, \"protocol\": \"rtu\", \"reply\": "
                     "\"exception 02\"}], \"tried\": {\"settings\": 2, \"ids\": 2}}\n");

    ModbusSim ascii("ascii", {}, {"--baud=19200"});
    r = Scan(ascii.port(),
             {"--ids", "1-2", "--bauds", "19200", "--parity", "none", "--protocol", "ascii"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{
                                "slave 1 at 19200 7N1 Modbus ASCII (read holding register 0: "
                                "answered)",
                                "1 slave found at 19200 7N1"}));
}

TEST(ScanCommand, SilentLineEndsWithExitOneWithinTheTimeOuts) {
    ModbusSim sim("rtu", {}, {"--silent"});
    // Time-outs long enough that a busy machine's late wake-ups stay small.
    const int ids = 8, settings = 2, timeout = 100;
    const auto t0 = Clock::now();
    CliResult r = Scan(sim.port(), {"--ids", "1-8", "--bauds", "57600,115200", "--parity", "none",
                                    "--timeout", std::to_string(timeout)});
    const double ms = MsSince(t0);
    EXPECT_EQ(r.rc, 1) << r.err;
    EXPECT_EQ(r.out, "no slave answered (2 settings x 8 IDs tried)\n");
    const double budget = ids * settings * timeout;
    EXPECT_GE(ms, budget);
    EXPECT_LT(ms, budget * 1.2);
}

TEST(ScanCommand, InterruptStopsWithinOneTimeOutAndPrintsWhatWasFound) {
    ModbusSim sim("rtu", {}, {"--baud=19200"});
    TempDir tmp;
    const std::string out = tmp / "out", err = tmp / "err";
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> args = {
        CLI_PATH,   "scan", "--port",    sim.port(),
        "--ids",    kIds,   "--bauds",   "19200,9600,38400,57600,115200",
        "--parity", "none", "--timeout", "100",
        "--all"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, CLI_PATH, &fa, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&fa);
    // 19200 is done after about 4 time-outs; the scan then goes on at 9600.
    ::usleep(800 * 1000);
    const auto t0 = Clock::now();
    ::kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    const double ms = MsSince(t0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_LT(ms, 100 + 60);
    std::vector<std::string> expected = kFoundAt19200;
    expected.push_back("4 slaves found at 19200 8N1");
    EXPECT_EQ(Lines(ReadText(out)), expected);
    EXPECT_EQ(ReadText(err), "tessaro-cli: scan stopped\n");
}

TEST(ScanCommand, ProgressLineOnlyOnATerminal) {
    ModbusSim sim("rtu", {}, {"--baud=19200"});
    // Standard error on a pty of its own; standard output to a file.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    TempDir tmp;
    const std::string out = tmp / "out";
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, ::ptsname(master), O_RDWR | O_NOCTTY, 0);
    std::vector<std::string> args = {CLI_PATH,  "scan",  "--port",   sim.port(), "--ids",     "2,1",
                                     "--bauds", "19200", "--parity", "none",     "--timeout", "30"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, CLI_PATH, &fa, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&fa);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string err;
    char buf[512];
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;)
        err.append(buf, static_cast<size_t>(n));
    ::close(master);
    EXPECT_NE(err.find("\rscanning 19200 8N1: slave 2 (setting 1 of 1, 0 found)"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("\rscanning 19200 8N1: slave 1 (setting 1 of 1, 0 found)"),
              std::string::npos);
    // Cleared again before a found slave and at the end; never on standard output.
    EXPECT_EQ(ReadText(out), "slave 1 at 19200 8N1 Modbus RTU (read holding register 0: "
                             "answered)\n1 slave found at 19200 8N1\n");
    EXPECT_EQ(err.back(), '\r');
}

TEST(ScanCommand, WrongUsageAndPortsThatCannotBeOpened) {
    struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"scan"}, "scan needs --port DEVICE"},
        {{"scan", "--port", "/dev/tessaro-missing"}, "missing: no such port"},
        {{"scan", "--port", "/dev/null", "--ids", "0-5"}, "--ids takes IDs or ranges"},
        {{"scan", "--port", "/dev/null", "--ids", "200-248"}, "--ids takes IDs or ranges"},
        {{"scan", "--port", "/dev/null", "--ids", "9-3"}, "--ids takes IDs or ranges"},
        {{"scan", "--port", "/dev/null", "--ids", "1,"}, "--ids takes IDs or ranges"},
        {{"scan", "--port", "/dev/null", "--bauds", "9600,1000"}, "--bauds takes rates"},
        {{"scan", "--port", "/dev/null", "--parity", "mark"}, "--parity takes none, even, odd"},
        {{"scan", "--port", "/dev/null", "--protocol", "tcp"}, "--protocol takes rtu or ascii"},
        {{"scan", "--port", "/dev/null", "--timeout", "0"}, "--timeout takes milliseconds"},
        {{"scan", "--port", "/dev/null", "extra"}, "unexpected argument 'extra'"},
    };
    for (const auto& c : cases) {
        CliResult r = RunProgram(CLI_PATH, c.args);
        EXPECT_EQ(r.rc, 2) << c.args.back();
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    CliResult help = RunProgram(CLI_PATH, {"--help"});
    EXPECT_NE(help.out.find("  scan --port DEV"), std::string::npos);
}
} // namespace
