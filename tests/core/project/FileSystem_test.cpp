#include "TempDir.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
mode_t Kind(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const FileError& e) {
        return e.what();
    }
    return "";
}

// MoveFileOver, the firmware composer's move, keeps WriteFileAtomic's rules.
TEST(MoveFileOver, FollowsLinksWritesStreamsRefusesTheRest) {
    TempDir t;
    const std::string from = t / "stage";
    auto stage = [&] { WriteText(from, "S0 data"); };

    // A link to a file on another file system (EXDEV) gets the bytes copied.
    const bool shm = DirectoryExists("/dev/shm") && IsWritableFolder("/dev/shm");
    TempDir far;
    const std::string farTarget =
        (shm ? "/dev/shm/tessaro-move-" + std::to_string(::getpid()) : far / "real");
    WriteText(farTarget, "old");
    ASSERT_EQ(::chmod(farTarget.c_str(), 0600), 0);
    ASSERT_EQ(::symlink(farTarget.c_str(), (t / "link").c_str()), 0);
    stage();
    MoveFileOver(from, t / "link");
    EXPECT_EQ(Kind(t / "link"), S_IFLNK);
    EXPECT_EQ(ReadText(farTarget), "S0 data");
    EXPECT_EQ(fs::status(farTarget).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(FileExists(from));
    ::unlink(farTarget.c_str());

    // A FIFO is written in place, and the stage file goes.
    ASSERT_EQ(::mkfifo((t / "fifo").c_str(), 0600), 0);
    const int reader = ::open((t / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    stage();
    MoveFileOver(from, t / "fifo");
    char buf[32] = {};
    EXPECT_EQ(::read(reader, buf, sizeof buf), 7);
    EXPECT_EQ(std::string(buf), "S0 data");
    ::close(reader);
    EXPECT_EQ(Kind(t / "fifo"), S_IFIFO);
    EXPECT_FALSE(FileExists(from));

    // Without a reader it fails at once; a directory is refused by kind.
    stage();
    EXPECT_EQ(ErrorOf([&] { MoveFileOver(from, t / "fifo"); }),
              "Cannot write file \"" + t / "fifo" + "\": the FIFO has no reader");
    ASSERT_TRUE(CreateDir(t / "dir"));
    ASSERT_EQ(::symlink((t / "dir").c_str(), (t / "dirlink").c_str()), 0);
    EXPECT_EQ(ErrorOf([&] { MoveFileOver(from, t / "dir"); }),
              "Cannot write file \"" + t / "dir" + "\": it is a directory");
    EXPECT_EQ(ErrorOf([&] { MoveFileOver(from, t / "dirlink"); }),
              "Cannot write file \"" + t / "dirlink" + "\": it links to a directory, \"" +
                  t / "dir" + "\"");
    EXPECT_EQ(Kind(t / "dir"), S_IFDIR);
    EXPECT_EQ(ReadText(from), "S0 data");
}

// What may be replaced and what a stale output's removal touches.
TEST(WriteFileAtomic, KindsThatMayBeReplacedOrRemoved) {
    TempDir t;
    WriteText(t / "file", "x");
    WriteText(t / "ro", "x");
    ASSERT_EQ(::chmod((t / "ro").c_str(), 0444), 0);
    ASSERT_EQ(::symlink((t / "file").c_str(), (t / "link").c_str()), 0);
    ASSERT_EQ(::symlink((t / "loop").c_str(), (t / "loop").c_str()), 0);
    ASSERT_EQ(::mkfifo((t / "fifo").c_str(), 0600), 0);
    ASSERT_TRUE(CreateDir(t / "dir"));
    const struct {
        const char* name;
        bool mayReplace, removed;
    } cases[] = {
        {"missing", true, false}, {"ro", false, false},   {"fifo", true, false},
        {"dir", false, false},    {"loop", false, false}, {"link", true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MayReplaceFile(t / c.name), c.mayReplace) << c.name;
        EXPECT_EQ(RemoveOutputFile(t / c.name), c.removed) << c.name;
    }
    // The link's target went, the link stays (dangling; a write recreates it).
    EXPECT_FALSE(FileExists(t / "file"));
    EXPECT_EQ(Kind(t / "link"), S_IFLNK);
    EXPECT_EQ(Kind(t / "fifo"), S_IFIFO);
    EXPECT_EQ(ReadText(t / "ro"), "x");
    EXPECT_EQ(ErrorOf([&] { WriteFileAtomic(t / "loop", "x"); }),
              "Cannot write file \"" + t / "loop" + "\". Too many levels of symbolic links");
    WriteFileAtomic(t / "link", "new");
    EXPECT_EQ(ReadText(t / "file"), "new");
}
// The readers' one open: absent is what FileExists calls absent, a folder
// is an error, and the stat is the opened file's (the link's target).
TEST(ReadFileIfThere, AbsentFolderFileAndLinks) {
    TempDir d;
    WriteText(d / "file", "bytes");
    WriteText(d / "empty", "");
    fs::create_directory(d / "folder");
    fs::create_symlink(d / "file", d / "link");
    fs::create_symlink(d / "none", d / "dangling");
    struct stat target {};
    ASSERT_EQ(::stat((d / "file").c_str(), &target), 0);
    struct Case {
        const char* name;
        std::optional<std::string> bytes;
        const char* error;
    };
    for (const Case& c : {Case{"none", std::nullopt, ""}, Case{"dangling", std::nullopt, ""},
                          Case{"file", "bytes", ""}, Case{"link", "bytes", ""},
                          Case{"empty", "", ""}, Case{"folder", std::nullopt, "is a folder"}}) {
        struct stat st {};
        std::optional<std::string> got;
        const std::string error = ErrorOf([&] { got = ReadFileIfThere(d / c.name, 100, st); });
        EXPECT_EQ(got, c.bytes) << c.name;
        EXPECT_EQ(got.has_value(), FileExists(d / c.name)) << c.name;
        if (*c.error) {
            EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
        } else {
            EXPECT_EQ(error, "") << c.name;
        }
        if (got && std::string(c.name) != "empty") {
            EXPECT_EQ(st.st_ino, target.st_ino) << c.name;
        }
        if (!got && !*c.error) {
            EXPECT_EQ(st.st_ino, 0u) << c.name;
        }
    }
    struct stat st {};
    WriteText(d / "big", std::string(101, 'x'));
    EXPECT_NE(ErrorOf([&] { ReadFileIfThere(d / "big", 100, st); }).find("is too large (101"),
              std::string::npos);
}
} // namespace
