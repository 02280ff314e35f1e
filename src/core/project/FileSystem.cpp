#include "core/project/FileSystem.h"

#include "core/project/Errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
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

std::string ReadFileBytes(const std::string& path, size_t maxBytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileError("Cannot open file \"" + path + "\". " + SystemErrorText(errno));
    auto tooLarge = [&](uint64_t size) {
        ::close(fd);
        throw FileError("File \"" + path + "\" is too large (" + std::to_string(size) +
                        " bytes; at most " + std::to_string(maxBytes) + ")");
    };
    std::string out;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        if (uint64_t(st.st_size) > maxBytes) tooLarge(uint64_t(st.st_size));
        out.reserve(static_cast<size_t>(st.st_size));
    }
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            throw FileError("Cannot read file \"" + path + "\". " + SystemErrorText(err));
        }
        if (n == 0) break;
        // A pipe or a file still growing is held to the same bound.
        if (out.size() + size_t(n) > maxBytes) tooLarge(out.size() + size_t(n));
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}

static bool MayReplace(const std::string& path, const struct stat& st) {
    // The write bits decide, as the user sees them: root too leaves a file
    // nobody may write (0444) alone.
    return (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

bool MayReplaceFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || MayReplace(path, st);
}

void MoveFileOver(const std::string& from, const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        if (!MayReplace(path, st))
            throw FileError("Cannot write file \"" + path + "\". " + SystemErrorText(EACCES),
                            EACCES);
        if (::chmod(from.c_str(), st.st_mode & 07777) != 0) {
            const int err = errno;
            throw FileError("Cannot write file \"" + path + "\". " + SystemErrorText(err), err);
        }
    }
    if (::rename(from.c_str(), path.c_str()) != 0) {
        const int err = errno;
        throw FileError("Cannot create file \"" + path + "\". " + SystemErrorText(err), err);
    }
}

void WriteFileAtomic(const std::string& path, std::string_view data) {
    // A symlinked target is replaced by a regular file, never written through.
    // An existing file keeps its mode; one the user may not write is refused.
    mode_t mode = 0644;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        if (!MayReplace(path, st))
            throw FileError("Cannot write file \"" + path + "\". " + SystemErrorText(EACCES),
                            EACCES);
        mode = st.st_mode & 07777;
    }
    std::string tmpl = FolderOf(path) + PathSep + ".tessaro-XXXXXX";
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        const int err = errno;
        throw FileError("Cannot create file \"" + path + "\". " + SystemErrorText(err), err);
    }
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        throw FileError("Cannot write file \"" + path + "\". " + SystemErrorText(err), err);
    };
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
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        throw FileError("Cannot write file \"" + path + "\". " + SystemErrorText(err), err);
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        throw FileError("Cannot create file \"" + path + "\". " + SystemErrorText(err), err);
    }
}
