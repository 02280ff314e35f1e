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
    enum Outcome { StartFailed, Ended, TimedOut };
    Outcome outcome = StartFailed;
    pid_t pid = -1;
    // errno of a failed start.
    int startError = 0;
};

// Starts program with the split parameters in the current folder and waits
// until it ends, polling every pollInterval, or until timeLimit has passed;
// then it is left running and reaped in the background when it ends, so no
// zombie remains. A failed start returns at once. `hidden` asks for no window;
// POSIX programs open their own windows, so it has no effect here.
RunResult RunAndWait(const std::string& program, const std::string& parameters, bool hidden,
                     const RunOptions& options = {});
