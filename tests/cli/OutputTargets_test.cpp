// Where the commands' outputs go: every kind of file a target can name, and a
// standard output that cannot take the result.
#include "CliRun.h"
#include "TempDir.h"

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// The sample project, copied so that nothing of the repository is written.
struct Sample {
    TempDir dir;
    std::string project = dir / "Plant1";
    Sample() {
        fs::copy(TEST_DATA_DIR "/../../examples/PROJECTS/Plant1", project,
                 fs::copy_options::recursive);
    }
};

CliResult Cli(const std::vector<std::string>& args) {
    return RunProgram(CLI_PATH, args);
}

// The command writing to `target`; "-" gives what a file must receive.
std::vector<std::string> Command(const std::string& name, const std::string& project,
                                 const std::string& target) {
    if (name == "build") return {"build", project, "--force", "-o", target};
    if (name == "export") return {"export", project, "--table", "read", "-o", target};
    if (name == "report") return {"report", project, "-o", target, "--date", "2026-03-04"};
    return {"gsd", project, target};
}

// The file's bytes, or a mark when it cannot be read (a test goes on).
std::string Content(const std::string& path) {
    try {
        return ReadText(path);
    } catch (const std::exception&) {
        return "<unreadable>";
    }
}

mode_t Kind(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

// Runs the command while reading the FIFO; a reader is there before it starts.
std::string ThroughFifo(const std::string& fifo, const std::vector<std::string>& args,
                        CliResult& r) {
    const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    std::atomic<bool> done{false};
    std::thread run([&] {
        r = Cli(args);
        done = true;
    });
    std::string got;
    for (;;) {
        const bool last = done;
        char buf[65536];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0)
            got.append(buf, size_t(n));
        if (last) break;
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 20);
    }
    run.join();
    ::close(fd);
    return got;
}

// Regular file, link, dangling link, FIFO with and without reader, character
// device, directory, socket: each command writes or refuses alike.
TEST(OutputTargets, EveryKindOfTargetForEveryCommand) {
    Sample s;
    const bool root = ::geteuid() == 0;
    for (const char* command : {"build", "export", "report", "gsd"}) {
        const CliResult want = Cli(Command(command, s.project, "-"));
        ASSERT_EQ(want.rc, 0) << command << want.err;
        ASSERT_GT(want.out.size(), 10u) << command;

        {
            SCOPED_TRACE(std::string(command) + " regular file");
            TempDir t;
            const std::string f = t / "out";
            WriteText(f, "old");
            ASSERT_EQ(::chmod(f.c_str(), 0640), 0);
            const CliResult r = Cli(Command(command, s.project, f));
            EXPECT_EQ(r.rc, 0) << r.err;
            EXPECT_EQ(Content(f), want.out);
            struct stat st {};
            ASSERT_EQ(::lstat(f.c_str(), &st), 0);
            EXPECT_TRUE(S_ISREG(st.st_mode));
            EXPECT_EQ(st.st_mode & 07777, 0640u);
        }
        for (bool dangling : {false, true}) {
            SCOPED_TRACE(std::string(command) + (dangling ? " dangling link" : " link"));
            TempDir t, elsewhere;
            const std::string link = t / "out", target = elsewhere / "real";
            if (!dangling) WriteText(target, "old");
            ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
            const CliResult r = Cli(Command(command, s.project, link));
            EXPECT_EQ(r.rc, 0) << r.err;
            EXPECT_EQ(Kind(link), S_IFLNK);
            EXPECT_EQ(Content(target), want.out);
            // The temporary file went to the target's folder and is gone.
            EXPECT_EQ(std::distance(fs::directory_iterator(t.path()), {}), 1);
            EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere.path()), {}), 1);
        }
        {
            SCOPED_TRACE(std::string(command) + " FIFO with a reader");
            TempDir t;
            const std::string fifo = t / "out";
            ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
            CliResult r;
            const std::string got = ThroughFifo(fifo, Command(command, s.project, fifo), r);
            EXPECT_EQ(r.rc, 0) << r.err;
            EXPECT_EQ(got, want.out);
            EXPECT_EQ(Kind(fifo), S_IFIFO);
        }
        {
            SCOPED_TRACE(std::string(command) + " FIFO without a reader");
            TempDir t;
            const std::string fifo = t / "out";
            ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
            const CliResult r = Cli(Command(command, s.project, fifo));
            EXPECT_EQ(r.rc, 1);
            EXPECT_NE(r.err.find("Cannot write file \"" + fifo + "\": the FIFO has no reader"),
                      std::string::npos)
                << r.err;
            EXPECT_EQ(Kind(fifo), S_IFIFO);
        }
        {
            SCOPED_TRACE(std::string(command) + " character device");
            // Root gets its own /dev/null node, so a fault cannot replace the
            // machine's; others cannot replace /dev/null anyway.
            TempDir t;
            std::string dev = "/dev/null";
            if (root) {
                dev = t / "null";
                ASSERT_EQ(::mknod(dev.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
            }
            const CliResult r = Cli(Command(command, s.project, dev));
            EXPECT_EQ(r.rc, 0) << r.err;
            EXPECT_EQ(Kind(dev), S_IFCHR);
            EXPECT_EQ(Content(dev), "");
        }
        {
            SCOPED_TRACE(std::string(command) + " directory, socket");
            TempDir t;
            const std::string dir = t / "dir", sock = t / "sock";
            ASSERT_TRUE(fs::create_directory(dir));
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            ASSERT_LT(sock.size(), sizeof addr.sun_path);
            sock.copy(addr.sun_path, sock.size());
            ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
            const struct {
                std::string path;
                mode_t kind;
                const char* says;
            } refused[] = {{dir, S_IFDIR, "it is a directory"}, {sock, S_IFSOCK, "it is a socket"}};
            for (const auto& c : refused) {
                const CliResult r = Cli(Command(command, s.project, c.path));
                EXPECT_EQ(r.rc, 1) << c.says;
                EXPECT_NE(r.err.find("Cannot write file \"" + c.path + "\": " + c.says),
                          std::string::npos)
                    << r.err;
                EXPECT_EQ(r.out, "") << c.says;
                EXPECT_EQ(Kind(c.path), c.kind) << c.says;
            }
            ::close(fd);
            EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 0);
            EXPECT_EQ(std::distance(fs::directory_iterator(t.path()), {}), 2);
        }
    }
}

// A standard output that takes nothing (a full disk) fails every command,
// whatever it printed, with the reason on standard error.
TEST(OutputTargets, FailedStandardOutputIsExitOne) {
    Sample s;
    const std::string p = s.project;
    ASSERT_EQ(Cli({"build", p, "--force"}).rc, 0);
    const std::vector<std::string> commands[] = {
        {"check", p},
        {"check", p, "--json"},
        {"map", p},
        {"map", p, "--json"},
        {"dump", p},
        {"dump", p, "--json"},
        {"build", p, "--force"},
        {"build", p, "--force", "-o", s.dir / "copy.bin"},
        {"export", p, "--table", "read", "-o", "-"},
        {"export", p, "--table", "write", "-o", s.dir / "w.csv"},
        {"gsd", p, "-"},
        {"report", p, "-o", "-"},
        {"check", "--help"},
        {"--help"},
    };
    for (const auto& args : commands) {
        std::vector<std::string> all = {"-c", "exec \"$0\" \"$@\" >/dev/full", CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        const CliResult r = RunProgram("sh", all);
        EXPECT_EQ(r.rc, 1) << args[0] << " " << args.back() << r.err;
        EXPECT_NE(r.err.find("tessaro-cli: cannot write to standard output: No space left on "
                             "device"),
                  std::string::npos)
            << args[0] << " " << args.back() << r.err;
    }
}
} // namespace
