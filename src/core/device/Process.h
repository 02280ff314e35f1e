#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// Splits a parameter text into program arguments the way a POSIX shell splits
// words: blanks, tabs and line ends separate them; text inside double or single
// quotes is kept whole, quotes removed; quoted and unquoted parts next to each
// other make one argument; "" makes an empty argument. Backslashes are plain
// characters, so a folder such as "C:\Tool\" keeps its trailing backslash. An
// unterminated quote runs to the end of the text.
std::vector<std::string> SplitParameters(std::string_view text);

struct RunOptions {
    std::chrono::milliseconds timeLimit{150000};
    std::chrono::milliseconds pollInterval{10};
    // Called after each pause while waiting (the window repaints there).
    std::function<void()> onPoll;
};

struct RunResult {
    enum Outcome { StartFailed, Ended, TimedOut, Cancelled };
    Outcome outcome = StartFailed;
    pid_t pid = -1;
    // errno of a failed start.
    int startError = 0;
    // For a program that ended: its exit code, or the signal that ended it.
    int exitCode = 0;
    int termSignal = 0;
    std::chrono::milliseconds elapsed{0};
};

// How a run ended, as told to the user: "the updater ended with exit code 0",
// "... was ended by signal 15", "... did not end within 150 s and was left
// running", "... was stopped (cancelled)", "... could not be started: <why>".
std::string RunEnding(const RunResult& r, std::chrono::milliseconds timeLimit);

// A program started in its own process group, whose end is polled without
// blocking; what it writes to its standard output and error is collected
// through one pipe. Destroying it while the program runs abandons it.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // 0, or the errno of a failed start.
    int start(const std::string& program, const std::vector<std::string>& args);
    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0 && !ended_; }
    // Reads what output there is and reaps the program once it has ended;
    // true when it has ended.
    bool poll();
    // The output read since the last call.
    std::string takeOutput();
    // For an ended program: the exit code, or the signal that ended it (else 0).
    int exitCode() const;
    int termSignal() const;
    // Asks the program (and what it started) to end: SIGTERM, or SIGKILL.
    void terminate();
    void kill();
    // Leaves the program running; a background thread drains its output and
    // reaps it when it ends, so no zombie remains and it never blocks on a
    // full pipe.
    void abandon();

private:
    void drain();
    pid_t pid_ = -1;
    int fd_ = -1;
    bool ended_ = false;
    int status_ = 0;
    std::string output_;
};

// How SpawnChild starts a program: which of the program's files it gets as
// its standard ones, whether it keeps the others, and whether it leaves the
// program's process group.
struct SpawnSetup {
    int stdinFd = -1;  // becomes its standard input
    int outputFd = -1; // becomes its standard output and error
    bool closeOthers = false;
    enum class Group { Same, Own, Session } group = Group::Same;
};

// posix_spawn with default signal handling and nothing blocked, whatever the
// GUI toolkit set up for itself; never a fork of the threaded program.
// Returns 0 or the error (glibc reports a failed exec as the result).
int SpawnChild(const std::string& program, char* const argv[], const SpawnSetup& setup, pid_t& pid);

// Starts program with the split parameters in the current folder and waits
// until it ends, polling every pollInterval, or until timeLimit has passed;
// then it is left running and reaped in the background when it ends, so no
// zombie remains. A failed start returns at once. `hidden` asks for no window;
// POSIX programs open their own windows, so it has no effect here.
RunResult RunAndWait(const std::string& program, const std::string& parameters, bool hidden,
                     const RunOptions& options = {});
