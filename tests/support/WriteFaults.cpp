#include "WriteFaults.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
ssize_t __real_write(int fd, const void* buf, size_t count);
int __real_rename(const char* from, const char* to);
ssize_t __wrap_write(int fd, const void* buf, size_t count);
int __wrap_rename(const char* from, const char* to);
}

namespace {
WriteFaultHook g_hook;

// Temporary files of an atomic write are named ".tessaro-XXXXXX" in the
// target's folder.
bool IsAtomicTemp(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.rfind(".tessaro-", 0) == 0;
}

std::string PathOfFd(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}
} // namespace

void SetWriteFaultHook(WriteFaultHook hook) {
    g_hook = std::move(hook);
}

ssize_t __wrap_write(int fd, const void* buf, size_t count) {
    if (g_hook && IsAtomicTemp(PathOfFd(fd))) {
        const off_t at = ::lseek(fd, 0, SEEK_CUR);
        if (!g_hook(at < 0 ? 0 : static_cast<size_t>(at), count)) {
            errno = ENOSPC;
            return -1;
        }
    }
    return __real_write(fd, buf, count);
}

int __wrap_rename(const char* from, const char* to) {
    struct stat st {};
    if (g_hook && IsAtomicTemp(from) && ::stat(from, &st) == 0 &&
        !g_hook(static_cast<size_t>(st.st_size), 0)) {
        errno = EINTR;
        return -1;
    }
    return __real_rename(from, to);
}
