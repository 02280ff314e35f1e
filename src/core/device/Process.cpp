#include "core/device/Process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

int SpawnChild(const std::string& program, char* const argv[], const SpawnSetup& setup,
               pid_t& pid) {
    posix_spawn_file_actions_t files;
    ::posix_spawn_file_actions_init(&files);
    if (setup.stdinFd >= 0) ::posix_spawn_file_actions_adddup2(&files, setup.stdinFd, 0);
    if (setup.outputFd >= 0) {
        ::posix_spawn_file_actions_adddup2(&files, setup.outputFd, 1);
        ::posix_spawn_file_actions_adddup2(&files, setup.outputFd, 2);
    }
    if (setup.closeOthers) ::posix_spawn_file_actions_addclosefrom_np(&files, 3);
    posix_spawnattr_t attr;
    ::posix_spawnattr_init(&attr);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    ::posix_spawnattr_setsigdefault(&attr, &all);
    ::posix_spawnattr_setsigmask(&attr, &none);
    short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    if (setup.group == SpawnSetup::Group::Own) {
        ::posix_spawnattr_setpgroup(&attr, 0);
        flags |= POSIX_SPAWN_SETPGROUP;
    } else if (setup.group == SpawnSetup::Group::Session) {
        flags |= POSIX_SPAWN_SETSID;
    }
    ::posix_spawnattr_setflags(&attr, flags);
    pid = -1;
    const int err = ::posix_spawn(&pid, program.c_str(), &files, &attr, argv, environ);
    ::posix_spawnattr_destroy(&attr);
    ::posix_spawn_file_actions_destroy(&files);
    return err;
}

RunResult RunAndWait(const std::string& program, const std::string& parameters, bool /*hidden*/,
                     const RunOptions& options) {
    RunResult result;
    std::vector<std::string> args = SplitParameters(parameters);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int err = SpawnChild(program, argv.data(), {}, pid);
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

std::string RunEnding(const RunResult& r, std::chrono::milliseconds timeLimit) {
    switch (r.outcome) {
    case RunResult::StartFailed:
        return std::string("the updater could not be started: ") + std::strerror(r.startError);
    case RunResult::TimedOut:
        return "the updater did not end within " + std::to_string(timeLimit.count() / 1000) +
               " s and was left running";
    case RunResult::Cancelled:
        return "the updater was stopped (cancelled)";
    case RunResult::Ended:
        if (r.termSignal != 0)
            return "the updater was ended by signal " + std::to_string(r.termSignal);
        return "the updater ended with exit code " + std::to_string(r.exitCode);
    }
    return {};
}

ChildProcess::~ChildProcess() {
    if (running())
        abandon();
    else if (fd_ >= 0)
        ::close(fd_);
}

int ChildProcess::start(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (auto& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return errno;
    // Its own process group, so that a stop reaches what it started too.
    SpawnSetup setup;
    setup.outputFd = fds[1];
    setup.group = SpawnSetup::Group::Own;
    pid_t pid = -1;
    const int err = SpawnChild(program, argv.data(), setup, pid);
    ::close(fds[1]);
    if (err != 0) {
        ::close(fds[0]);
        return err;
    }
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    pid_ = pid;
    fd_ = fds[0];
    ended_ = false;
    return 0;
}

void ChildProcess::drain() {
    if (fd_ < 0) return;
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n > 0) {
            output_.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) {
            // Every writer has closed the pipe.
            ::close(fd_);
            fd_ = -1;
        }
        return;
    }
}

bool ChildProcess::poll() {
    drain();
    if (pid_ <= 0 || ended_) return ended_;
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        ended_ = true;
        status_ = status;
        drain();
    } else if (r < 0 && errno == ECHILD) {
        ended_ = true; // reaped elsewhere (SIGCHLD ignored)
    }
    return ended_;
}

std::string ChildProcess::takeOutput() {
    std::string out;
    out.swap(output_);
    return out;
}

int ChildProcess::exitCode() const {
    return ended_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : 0;
}

int ChildProcess::termSignal() const {
    return ended_ && WIFSIGNALED(status_) ? WTERMSIG(status_) : 0;
}

void ChildProcess::terminate() {
    if (running()) ::kill(-pid_, SIGTERM);
}

void ChildProcess::kill() {
    if (running()) ::kill(-pid_, SIGKILL);
}

void ChildProcess::abandon() {
    if (!running()) return;
    const pid_t pid = pid_;
    int fd = fd_;
    pid_ = -1;
    fd_ = -1;
    std::thread([pid, fd]() mutable {
        char buf[4096];
        for (;;) {
            int status = 0;
            pid_t r = ::waitpid(pid, &status, WNOHANG);
            if (r == pid || (r < 0 && errno != EINTR)) break;
            if (fd >= 0) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 100) > 0) {
                    ssize_t n;
                    while ((n = ::read(fd, buf, sizeof buf)) > 0) {
                    }
                    if (n == 0) {
                        ::close(fd);
                        fd = -1;
                    }
                }
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        if (fd >= 0) ::close(fd);
    }).detach();
}
