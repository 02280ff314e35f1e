#pragma once
// Whole-buffer sends and receives on the socket between the program and its
// workbook reader.
#include <cerrno>
#include <cstddef>
#include <sys/socket.h>
#include <sys/types.h>

// Runs `io` (a send or a receive) until `size` bytes have passed.
template <class Char, class Io> bool Exactly(Io io, Char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = io(data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

inline bool SendAll(int fd, const char* data, size_t size) {
    return Exactly([fd](const char* d, size_t n) { return ::send(fd, d, n, MSG_NOSIGNAL); }, data,
                   size);
}

inline bool ReceiveAll(int fd, char* data, size_t size) {
    return Exactly([fd](char* d, size_t n) { return ::recv(fd, d, n, 0); }, data, size);
}
