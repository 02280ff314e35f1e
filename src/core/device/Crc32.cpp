#include "core/device/Crc32.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <zlib.h>

uint32_t Crc32Update(uint32_t crc, const void* data, size_t size) {
    auto* p = static_cast<const Bytef*>(data);
    uLong c = crc;
    // zlib's length is a uInt: feed larger buffers in pieces.
    while (size > 0) {
        const size_t n = std::min<size_t>(size, std::numeric_limits<uInt>::max());
        c = ::crc32(c, p, static_cast<uInt>(n));
        p += n;
        size -= n;
    }
    return static_cast<uint32_t>(c);
}

uint32_t Crc32(std::string_view bytes) {
    return Crc32Update(0, bytes.data(), bytes.size());
}

uint32_t Crc32(const std::vector<uint8_t>& bytes) {
    return Crc32Update(0, bytes.data(), bytes.size());
}

std::string Crc32Hex(uint32_t crc) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(crc));
    return text;
}

std::string Crc32Text(uint32_t crc) {
    return "CRC-32 " + Crc32Hex(crc);
}

std::string ImageFingerprint(std::string_view bytes) {
    return Crc32Text(Crc32(bytes));
}
