// FreeXL reads a workbook through stdio, seeking before almost every sector:
// on a file each seek is a system call and drops the stream's buffer, which
// made the calls most of a read's time. The reader is linked with FreeXL's
// static library and its fopen wrapped (-Wl,--wrap=fopen): a workbook opened
// for reading is read whole at once and served from memory, with the same
// read, seek and tell results as the file would give.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

extern "C" FILE* __real_fopen(const char* path, const char* mode);
extern "C" FILE* __wrap_fopen(const char* path, const char* mode);

namespace {
// Larger files are read from the file as before, within the reader's bounded
// memory.
constexpr off_t InMemoryLimit = off_t(64) << 20;

struct FileBytes {
    std::string bytes;
    off64_t pos = 0;
};

ssize_t ReadBytes(void* cookie, char* buf, size_t size) {
    auto* f = static_cast<FileBytes*>(cookie);
    if (f->pos >= off64_t(f->bytes.size())) return 0;
    const size_t n = std::min(size, f->bytes.size() - size_t(f->pos));
    std::memcpy(buf, f->bytes.data() + f->pos, n);
    f->pos += off64_t(n);
    return ssize_t(n);
}

// As on a file: any position from 0 on, also past the end (reads there give
// nothing); a negative one is refused.
int SeekBytes(void* cookie, off64_t* offset, int whence) {
    auto* f = static_cast<FileBytes*>(cookie);
    off64_t base = 0;
    if (whence == SEEK_CUR)
        base = f->pos;
    else if (whence == SEEK_END)
        base = off64_t(f->bytes.size());
    else if (whence != SEEK_SET) {
        errno = EINVAL;
        return -1;
    }
    if ((*offset < 0 && base + *offset < 0) ||
        (*offset > 0 && base > std::numeric_limits<off64_t>::max() - *offset)) {
        errno = EINVAL;
        return -1;
    }
    f->pos = *offset = base + *offset;
    return 0;
}

int CloseBytes(void* cookie) {
    delete static_cast<FileBytes*>(cookie);
    return 0;
}

// The whole regular file at `path`, or false (then the file is opened as usual).
bool ReadWhole(const char* path, std::string& out) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= InMemoryLimit;
    if (ok) {
        out.resize(size_t(st.st_size));
        size_t got = 0;
        while (got < out.size()) {
            const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += size_t(n);
        }
        ok = got == out.size();
    }
    ::close(fd);
    return ok;
}
} // namespace

FILE* __wrap_fopen(const char* path, const char* mode) {
    if (std::strcmp(mode, "rb") != 0 && std::strcmp(mode, "r") != 0)
        return __real_fopen(path, mode);
    auto* f = new FileBytes;
    if (!ReadWhole(path, f->bytes)) {
        delete f;
        return __real_fopen(path, mode);
    }
    FILE* file = ::fopencookie(f, "r", {ReadBytes, nullptr, SeekBytes, CloseBytes});
    if (!file) delete f;
    return file;
}
