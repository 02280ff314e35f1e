#include "core/device/Process.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

std::vector<std::string> SplitParameters(std::string_view text) {
    std::vector<std::string> args;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (char c : text) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                word += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) args.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) args.push_back(std::move(word));
    return args;
}

namespace {
// True when the child has ended (and is reaped).
bool Ended(pid_t pid) {
    int status = 0;
    for (;;) {
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return true;
        if (r == 0) return false;
        if (errno == EINTR) continue;
        // ECHILD: somebody else reaped it (SIGCHLD ignored), so it is gone.
        return true;
    }
}

void ReapLater(pid_t pid) {
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}
} // namespace

RunResult RunAndWait(const std::string& program, const std::string& parameters, bool /*hidden*/,
                     const RunOptions& options) {
    RunResult result;
    std::vector<std::string> args = SplitParameters(parameters);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // The program starts with default signal handling and nothing blocked,
    // whatever the GUI toolkit set up for itself.
    posix_spawnattr_t attr;
    ::posix_spawnattr_init(&attr);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    ::posix_spawnattr_setsigdefault(&attr, &all);
    ::posix_spawnattr_setsigmask(&attr, &none);
    ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = -1;
    // glibc's posix_spawn reports a failed exec as its result.
    int err = ::posix_spawn(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    ::posix_spawnattr_destroy(&attr);
    if (err != 0) {
        result.startError = err;
        return result;
    }
    result.pid = pid;

    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (Ended(pid)) {
            result.outcome = RunResult::Ended;
            return result;
        }
        if (std::chrono::steady_clock::now() - start >= options.timeLimit) {
            result.outcome = RunResult::TimedOut;
            ReapLater(pid);
            return result;
        }
        std::this_thread::sleep_for(options.pollInterval);
        if (options.onPoll) options.onPoll();
    }
}
