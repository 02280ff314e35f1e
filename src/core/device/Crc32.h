#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The fingerprint of a configuration image: CRC-32 with the zlib (IEEE)
// polynomial, as zip and the updater summary give it.

// Continues `crc` over the bytes; start with 0.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t size);
uint32_t Crc32(std::string_view bytes);
uint32_t Crc32(const std::vector<uint8_t>& bytes);

// Eight upper-case hexadecimal digits: "1A2B3C4D".
std::string Crc32Hex(uint32_t crc);
// "CRC-32 1A2B3C4D", as the program shows an image's fingerprint.
std::string Crc32Text(uint32_t crc);
// The fingerprint of the bytes of an image or file.
std::string ImageFingerprint(std::string_view bytes);
