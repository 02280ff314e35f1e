#include "core/project/FileSystem.h"

#include "core/project/Errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
std::string FolderOf(const std::string& path) {
    auto pos = path.find_last_of(PathSep);
    if (pos == std::string::npos) return ".";
    if (pos == 0) return "/";
    return path.substr(0, pos);
}
} // namespace

std::string SystemErrorText(int err) {
    return std::strerror(err);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

bool ForceDirectories(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    fs::create_directories(path, ec);
    return DirectoryExists(path);
}

bool IsWritableFolder(const std::string& path) {
    if (!DirectoryExists(path)) return false;
    std::string probe = path + PathSep + ".tessaro-probe-XXXXXX";
    int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::string ReadFileBytes(const std::string& path) {
    return ReadFileBytes(path, std::string().max_size());
}

namespace {
// Reads the opened file to its end and closes it; `st` is its fstat.
std::string ReadOpened(int fd, const std::string& path, size_t maxBytes, const struct stat& st) {
    auto tooLarge = [&](uint64_t size) {
        ::close(fd);
        throw FileError("File \"" + path + "\" is too large (" + std::to_string(size) +
                        " bytes; at most " + std::to_string(maxBytes) + ")");
    };
    auto failed = [&](int err) {
        ::close(fd);
        throw FileError("Cannot read file \"" + path + "\". " + SystemErrorText(err));
    };
    std::string out;
    // A regular file is read straight into its string; a pipe, or a file
    // still growing, goes on in chunks held to the same bound.
    if (S_ISREG(st.st_mode) && st.st_size > 0) {
        if (uint64_t(st.st_size) > maxBytes) tooLarge(uint64_t(st.st_size));
        out.resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        while (got < out.size()) {
            ssize_t n = ::read(fd, out.data() + got, out.size() - got);
            if (n < 0) {
                if (errno == EINTR) continue;
                failed(errno);
            }
            if (n == 0) break;
            got += size_t(n);
        }
        if (got < out.size()) {
            out.resize(got);
            ::close(fd);
            return out;
        }
    }
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            failed(errno);
        }
        if (n == 0) break;
        if (out.size() + size_t(n) > maxBytes) tooLarge(out.size() + size_t(n));
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}
} // namespace

std::string ReadFileBytes(const std::string& path, size_t maxBytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileError("Cannot open file \"" + path + "\". " + SystemErrorText(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) st = {};
    return ReadOpened(fd, path, maxBytes, st);
}

std::optional<std::string> ReadFileIfThere(const std::string& path, size_t maxBytes,
                                           struct stat& st) {
    st = {};
    if (path.empty()) return std::nullopt;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        // Only what stat cannot see is absent; a file that is there but
        // cannot be opened is an error.
        if (::stat(path.c_str(), &st) != 0) {
            st = {};
            return std::nullopt;
        }
        if (S_ISDIR(st.st_mode)) throw FileError("\"" + path + "\" is a folder, not a file");
        throw FileError("Cannot open file \"" + path + "\". " + SystemErrorText(err));
    }
    if (::fstat(fd, &st) != 0) st = {};
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw FileError("\"" + path + "\" is a folder, not a file");
    }
    return ReadOpened(fd, path, maxBytes, st);
}

static bool MayReplace(const std::string& path, const struct stat& st) {
    // The write bits decide, as the user sees them: root too leaves a file
    // nobody may write (0444) alone.
    return (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

namespace {
[[noreturn]] void Fail(const char* what, const std::string& path, int err) {
    throw FileError(
        std::string("Cannot ") + what + " file \"" + path + "\". " + SystemErrorText(err), err);
}

enum class Kind { Missing, Regular, Stream, Refused };

// What a write to `path` reaches: symbolic links followed to the end; a
// dangling link names the file to create.
struct Target {
    std::string path;
    Kind kind = Kind::Missing;
    struct stat st {};
    const char* refused = nullptr; // the kind's name when refused
};

Target ResolveTarget(const std::string& given) {
    Target t;
    t.path = given;
    // As the kernel does, give up after 40 links.
    for (int hops = 0;; ++hops) {
        if (::lstat(t.path.c_str(), &t.st) != 0) {
            if (errno == ENOENT) return t;
            Fail("write", given, errno);
        }
        if (!S_ISLNK(t.st.st_mode)) break;
        if (hops == 40) Fail("write", given, ELOOP);
        char buf[4096];
        const ssize_t n = ::readlink(t.path.c_str(), buf, sizeof buf);
        if (n < 0 || size_t(n) >= sizeof buf) Fail("write", given, n < 0 ? errno : ENAMETOOLONG);
        std::string link(buf, size_t(n));
        t.path = link[0] == PathSep ? link : FolderOf(t.path) + PathSep + link;
    }
    const mode_t m = t.st.st_mode;
    if (S_ISREG(m))
        t.kind = Kind::Regular;
    else if (S_ISFIFO(m) || S_ISCHR(m))
        t.kind = Kind::Stream;
    else {
        t.kind = Kind::Refused;
        t.refused = S_ISDIR(m)    ? "a directory"
                    : S_ISSOCK(m) ? "a socket"
                    : S_ISBLK(m)  ? "a block device"
                                  : "not a regular file";
    }
    return t;
}

[[noreturn]] void Refuse(const std::string& given, const Target& t) {
    std::string text = "Cannot write file \"" + given + "\": it ";
    if (t.path == given)
        text += std::string("is ") + t.refused;
    else
        text += std::string("links to ") + t.refused + ", \"" + t.path + "\"";
    throw FileError(text, S_ISDIR(t.st.st_mode) ? EISDIR : EINVAL);
}

void WriteAll(int fd, std::string_view data, const std::function<void(int)>& fail) {
    size_t done = 0;
    while (done < data.size()) {
        size_t chunk = std::min<size_t>(data.size() - done, 1 << 16);
        ssize_t n = ::write(fd, data.data() + done, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += static_cast<size_t>(n);
    }
}

// A FIFO or a character device is written in place: renaming over it would
// replace the node by a regular file.
void WriteStream(const std::string& given, const Target& t, std::string_view data) {
    if (!MayReplace(t.path, t.st)) Fail("write", given, EACCES);
    // Non-blocking, so that a FIFO without a reader fails (ENXIO) instead of
    // waiting for one, and a serial line does not wait for its carrier.
    int fd = ::open(t.path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENXIO && S_ISFIFO(t.st.st_mode))
            throw FileError("Cannot write file \"" + given + "\": the FIFO has no reader", err);
        Fail("write", given, err);
    }
    auto fail = [&](int err) {
        ::close(fd);
        Fail("write", given, err);
    };
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) fail(errno);
    WriteAll(fd, data, fail);
    // No fsync: a pipe or a terminal has nothing to sync (EINVAL).
    if (::close(fd) != 0) Fail("write", given, errno);
}

void WriteRegular(const std::string& given, const Target& t, std::string_view data) {
    mode_t mode = 0644;
    if (t.kind == Kind::Regular) {
        if (!MayReplace(t.path, t.st)) Fail("write", given, EACCES);
        mode = t.st.st_mode & 07777;
    }
    std::string tmpl = FolderOf(t.path) + PathSep + ".tessaro-XXXXXX";
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) Fail("create", given, errno);
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        Fail("write", given, err);
    };
    WriteAll(fd, data, fail);
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        Fail("write", given, err);
    }
    if (::rename(tmpl.c_str(), t.path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        Fail("create", given, err);
    }
}
} // namespace

bool MayReplaceFile(const std::string& path) {
    try {
        const Target t = ResolveTarget(path);
        return t.kind == Kind::Missing || (t.kind != Kind::Refused && MayReplace(t.path, t.st));
    } catch (const FileError&) {
        return false;
    }
}

bool RemoveOutputFile(const std::string& path) {
    try {
        const Target t = ResolveTarget(path);
        return t.kind == Kind::Regular && MayReplace(t.path, t.st) && ::unlink(t.path.c_str()) == 0;
    } catch (const FileError&) {
        return false;
    }
}

bool RegularFileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void MoveFileOver(const std::string& from, const std::string& path) {
    const Target t = ResolveTarget(path);
    if (t.kind == Kind::Refused) Refuse(path, t);
    if (t.kind == Kind::Stream) {
        WriteStream(path, t, ReadFileBytes(from));
        ::unlink(from.c_str());
        return;
    }
    if (t.kind == Kind::Regular) {
        if (!MayReplace(t.path, t.st)) Fail("write", path, EACCES);
        if (::chmod(from.c_str(), t.st.st_mode & 07777) != 0) Fail("write", path, errno);
    }
    if (::rename(from.c_str(), t.path.c_str()) == 0) return;
    const int err = errno;
    // A link may lead to another file system: then the bytes are copied.
    if (err != EXDEV) Fail("create", path, err);
    WriteRegular(path, t, ReadFileBytes(from));
    ::unlink(from.c_str());
}

void WriteFileAtomic(const std::string& path, std::string_view data) {
    if (path.empty()) Fail("create", path, ENOENT);
    const Target t = ResolveTarget(path);
    switch (t.kind) {
    case Kind::Refused:
        Refuse(path, t);
    case Kind::Stream:
        WriteStream(path, t, data);
        return;
    case Kind::Missing:
    case Kind::Regular:
        WriteRegular(path, t, data);
        return;
    }
}
