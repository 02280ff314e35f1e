#include "core/device/DeviceUpdate.h"
#include "core/device/Process.h"
#include "core/device/SerialPort.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <thread>

namespace {
using namespace std::chrono_literals;
using Args = std::vector<std::string>;

TEST(SplitParameters, SplitsLikeAShellWithoutEscapes) {
    const std::pair<const char*, Args> cases[] = {
        {"", {}},
        {"   ", {}},
        {"COM3 FW FR", {"COM3", "FW", "FR"}},
        {"  a \t b\n", {"a", "b"}},
        {R"("C:\Tool\MASTER\sim52830.sim" "C:\Tool\PROJECTS\Plant1\bin\")",
         {R"(C:\Tool\MASTER\sim52830.sim)", R"(C:\Tool\PROJECTS\Plant1\bin\)"}},
        {R"("/a b/x" '/c "d"/')", {"/a b/x", R"(/c "d"/)"}},
        {R"(pre"mid dle"post x)", {"premid dlepost", "x"}},
        {R"("" '' z)", {"", "", "z"}},
        {R"(a\ b)", {R"(a\)", "b"}},
        {R"("unterminated rest)", {"unterminated rest"}},
    };
    for (const auto& [text, args] : cases)
        EXPECT_EQ(SplitParameters(text), args) << text;
}

TEST(UpdaterParameters, ComposesTheUpdaterLine) {
    struct Case {
        UpdateSteps steps;
        const char* tokens;
    } cases[] = {
        {{true, true, true, true}, "FW FR PW PR"},
        {{false, false, false, false}, "NO NO NO NO"},
        {{false, false, true, false}, "NO NO PW NO"},
        {{true, false, false, true}, "FW NO NO PR"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UpdaterParameters("COM3", c.steps, "C:/Tool/MASTER", "C:/Tool/PROJECTS/Plant1"),
                  std::string("COM3 ") + c.tokens +
                      R"( "C:/Tool/MASTER/sim52830.sim" "C:/Tool/PROJECTS/Plant1/bin/")");
    EXPECT_EQ(UpdaterPath("C:/Tool"), "C:/Tool/Ser_52830_Update.exe");
}

TEST(UpdaterParameters, SplitBackIntoTheUpdaterArguments) {
    std::string text =
        UpdaterParameters("/dev/ttyUSB0", {}, "/opt/my tool/MASTER", "/opt/my tool/PROJECTS/P 1");
    EXPECT_EQ(SplitParameters(text),
              (Args{"/dev/ttyUSB0", "FW", "FR", "PW", "PR", "/opt/my tool/MASTER/sim52830.sim",
                    "/opt/my tool/PROJECTS/P 1/bin/"}));
}

TEST(UpdaterParameters, AFolderWithADoubleQuoteIsRefused) {
    EXPECT_THROW(UpdaterParameters("COM1", {}, "/t/MASTER", "/t/PROJECTS/a\"b"), TessaroError);
    EXPECT_THROW(UpdaterParameters("COM1", {}, "/t\"/MASTER", "/t/PROJECTS/ab"), TessaroError);
}

TEST(SerialPortNames, TenComPortsThenTheUsbAdaptersPresent) {
    TempDir dev;
    for (const char* n : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyUSB", "ttyUSBx", "null"})
        WriteText(dev / n, "");
    Args expected;
    for (int i = 1; i <= 10; ++i)
        expected.push_back("COM" + std::to_string(i));
    for (const char* n : {"ttyUSB2", "ttyUSB10", "ttyACM0"})
        expected.push_back(dev / n);
    EXPECT_EQ(SerialPortNames(dev.path()), expected);
    EXPECT_EQ(SerialPortNames(dev / "missing").size(), 10u);
}

// A fake program: a shell script in a temporary folder.
std::string Script(const TempDir& dir, const std::string& name, const std::string& body) {
    std::string path = dir / name;
    WriteText(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
    return path;
}

bool Reaped(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

TEST(RunAndWait, PassesTheArgumentsAndWaitsForTheEnd) {
    TempDir dir;
    std::string out = dir / "args.txt";
    std::string prog = Script(
        dir, "updater", "sleep 0.2\nfor a in \"$@\"; do echo \"[$a]\"; done > '" + out + "'\n");
    auto t0 = std::chrono::steady_clock::now();
    RunResult r = RunAndWait(prog, R"(COM3 FW NO "/x y/sim52830.sim" "/p/bin/")", false);
    auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_EQ(r.outcome, RunResult::Ended);
    EXPECT_GE(took, 200ms);
    EXPECT_EQ(ReadText(out), "[COM3]\n[FW]\n[NO]\n[/x y/sim52830.sim]\n[/p/bin/]\n");
    EXPECT_TRUE(Reaped(r.pid));
}

TEST(RunAndWait, AProgramThatEndsAtOnceReturnsQuickly) {
    TempDir dir;
    std::string prog = Script(dir, "quick", "exit 3\n");
    int polls = 0;
    RunOptions o;
    o.onPoll = [&] { ++polls; };
    auto t0 = std::chrono::steady_clock::now();
    RunResult r = RunAndWait(prog, "", false, o);
    EXPECT_EQ(r.outcome, RunResult::Ended);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 1s);
    EXPECT_LT(polls, 50);
    EXPECT_TRUE(Reaped(r.pid));
}

TEST(RunAndWait, TheProgramStartsWithDefaultSignalHandling) {
    TempDir dir;
    std::string out = dir / "survived";
    std::string prog = Script(dir, "selfkill", "kill -TERM $$\necho yes > '" + out + "'\n");
    // A caller that ignores or blocks a signal must not hand that on.
    auto old = std::signal(SIGTERM, SIG_IGN);
    RunResult r = RunAndWait(prog, "", false);
    std::signal(SIGTERM, old);
    EXPECT_EQ(r.outcome, RunResult::Ended);
    EXPECT_FALSE(FileExists(out));
}

TEST(RunAndWait, AFailedStartDoesNotWait) {
    TempDir dir;
    WriteText(dir / "notexec", "#!/bin/sh\n");
    const std::pair<std::string, int> cases[] = {
        {dir / "missing", ENOENT}, {dir / "notexec", EACCES}, {dir.path(), EACCES}};
    for (const auto& [prog, err] : cases) {
        int polls = 0;
        RunOptions o;
        o.onPoll = [&] { ++polls; };
        RunResult r = RunAndWait(prog, "COM1", false, o);
        EXPECT_EQ(r.outcome, RunResult::StartFailed) << prog;
        EXPECT_EQ(r.startError, err) << prog;
        EXPECT_EQ(polls, 0) << prog;
    }
}

TEST(RunAndWait, GivesUpAtTheTimeLimitLeavesTheProgramRunningAndReapsItLater) {
    TempDir dir;
    std::string prog = Script(dir, "slow", "exec sleep 30\n");
    RunOptions o;
    o.timeLimit = 300ms;
    int polls = 0;
    o.onPoll = [&] { ++polls; };
    auto t0 = std::chrono::steady_clock::now();
    RunResult r = RunAndWait(prog, "", false, o);
    auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_EQ(r.outcome, RunResult::TimedOut);
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 1500ms);
    // About every 10 ms.
    EXPECT_GE(polls, 5);
    EXPECT_LE(polls, 31);
    ASSERT_GT(r.pid, 0);
    EXPECT_EQ(::kill(r.pid, 0), 0) << "the program was stopped";

    ::kill(r.pid, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!Reaped(r.pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(Reaped(r.pid)) << "a zombie was left";
}

// Polls until the program ends or 5 s pass.
bool PollUntilEnded(ChildProcess& p, std::string& output) {
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!p.poll() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    output += p.takeOutput();
    return !p.running();
}

TEST(ChildProcess, CollectsOutputAndTellsHowItEnded) {
    TempDir dir;
    const struct {
        const char* body;
        std::string output;
        int exitCode, signal;
        const char* ending;
    } cases[] = {
        {"echo out; echo err >&2; exit 3\n", "out\nerr\n", 3, 0,
         "the updater ended with exit code 3"},
        {"printf 'no line end'\n", "no line end", 0, 0, "the updater ended with exit code 0"},
        {"kill -9 $$\n", "", 0, 9, "the updater was ended by signal 9"},
    };
    for (const auto& c : cases) {
        ChildProcess p;
        ASSERT_EQ(p.start(Script(dir, "prog", c.body), {}), 0);
        std::string out;
        ASSERT_TRUE(PollUntilEnded(p, out)) << c.body;
        EXPECT_EQ(out, c.output) << c.body;
        EXPECT_EQ(p.exitCode(), c.exitCode) << c.body;
        EXPECT_EQ(p.termSignal(), c.signal) << c.body;
        RunResult r;
        r.outcome = RunResult::Ended;
        r.exitCode = p.exitCode();
        r.termSignal = p.termSignal();
        EXPECT_EQ(RunEnding(r, 150s), c.ending);
    }
    ChildProcess missing;
    EXPECT_EQ(missing.start(dir.path() + "/none", {}), ENOENT);
}

TEST(ChildProcess, TerminateEndsTheProgramAndWhatItStarted) {
    TempDir dir;
    const std::string pids = dir / "pids";
    ChildProcess p;
    ASSERT_EQ(p.start(Script(dir, "tree", "sleep 30 &\necho $! > '" + pids + "'\nsleep 30\n"), {}),
              0);
    while (!FileExists(pids) || ReadText(pids).find('\n') == std::string::npos)
        std::this_thread::sleep_for(5ms);
    const pid_t child = pid_t(std::stol(ReadText(pids)));
    EXPECT_FALSE(p.poll());
    p.terminate();
    std::string out;
    ASSERT_TRUE(PollUntilEnded(p, out));
    EXPECT_EQ(p.termSignal(), SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + 5s;
    // Gone, or a zombie waiting for whoever adopted it.
    auto gone = [child] {
        if (::kill(child, 0) != 0) return true;
        const std::string stat = ReadText("/proc/" + std::to_string(child) + "/stat");
        size_t paren = stat.rfind(')');
        return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] == 'Z';
    };
    while (!gone() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(gone()) << "the program's own child was left running";
}

TEST(PortFailureReason, NamesTheDeviceAndTheCause) {
    const struct {
        int code;
        bool opening;
        const char* reason;
    } cases[] = {
        {ENOENT, true, "/dev/ttyS2 does not exist"},
        {ENXIO, true, "/dev/ttyS2 does not exist"},
        {EBUSY, true, "/dev/ttyS2 is in use by another program"},
        {EWOULDBLOCK, true, "/dev/ttyS2 is in use by another program"},
        {EACCES, true, "/dev/ttyS2: permission denied: add your user to the dialout group"},
        {-1, true, "/dev/ttyS2 is not a serial port"},
        {EIO, true, "/dev/ttyS2: Input/output error"},
        {EINVAL, false, "/dev/ttyS2: the modem control lines cannot be set: Invalid argument"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortFailureReason("/dev/ttyS2", c.code, c.opening), c.reason) << c.code;
}

TEST(UpdateLog, SummaryAndLinesAreAppended) {
    TempDir dir;
    ASSERT_TRUE(ForceDirectories(dir / "bin"));
    WriteText(dir / "bin/bank.bin", "123456789");
    UpdateRunRecord run;
    run.when = "2026-12-10 09:55:02";
    run.port = "COM1 (/dev/ttyS0)";
    run.steps.readFirmware = false;
    run.file = dir / "bin/bank.bin";
    run.digest = DigestFile(run.file);
    run.millis = 12345;
    run.ending = "the updater ended with exit code 0";
    // The CRC-32 check value of "123456789".
    EXPECT_EQ(UpdateSummary(run),
              (std::vector<std::string>{"Sent: " + run.file + ", 9 bytes, CRC-32 CBF43926",
                                        "Port: COM1 (/dev/ttyS0)", "Time: 12.3 s",
                                        "End: the updater ended with exit code 0"}));
    AppendUpdateLog(dir.path(), UpdateLogLine(run));
    run.file.clear();
    AppendUpdateLog(dir.path(), UpdateLogLine(run));
    EXPECT_EQ(ReadText(UpdateLogPath(dir.path())),
              "2026-12-10 09:55:02; port COM1 (/dev/ttyS0); steps FW NO PW PR; sent " + dir.path() +
                  "/bin/bank.bin, 9 bytes, CRC-32 CBF43926; 12.3 s; the updater ended with exit "
                  "code 0\n"
                  "2026-12-10 09:55:02; port COM1 (/dev/ttyS0); steps FW NO PW PR; sent no "
                  "project image; 12.3 s; the updater ended with exit code 0\n");
    EXPECT_FALSE(DigestFile(dir / "none").exists);
}

} // namespace
