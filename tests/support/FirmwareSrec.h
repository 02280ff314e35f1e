#pragma once
// Synthetic S-record firmware and bank images for the composer tests and the
// benchmark, and a runner for the srecord tools.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace srectest {

// One record of type `type` ('0'..'9') with `addrBytes` address bytes.
inline std::string Record(char type, int addrBytes, uint32_t address,
                          const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes;
    bytes.push_back(uint8_t(addrBytes + data.size() + 1));
    for (int i = addrBytes - 1; i >= 0; --i)
        bytes.push_back(uint8_t(address >> (8 * i)));
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t b : bytes)
        sum += b;
    bytes.push_back(uint8_t(~sum));
    std::string line = std::string("S") + type;
    char hex[3];
    for (uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        line += hex;
    }
    return line;
}

// Firmware content at an address: a pattern no bank uses.
inline uint8_t FirmwareByte(uint32_t address) {
    return uint8_t(address * 7 + 3);
}
// Bank n's content: differs per bank and from the firmware.
inline uint8_t BankByte(int bank, size_t offset) {
    return uint8_t(offset * 13 + 101 * (bank + 1) + (offset >> 8));
}

inline std::string BankImage(int bank, size_t size = 16384) {
    std::string image(size, '\0');
    for (size_t i = 0; i < size; ++i)
        image[i] = char(BankByte(bank, i));
    return image;
}

inline std::vector<uint8_t> FirmwareData(uint32_t address, int count) {
    std::vector<uint8_t> data;
    for (int i = 0; i < count; ++i)
        data.push_back(FirmwareByte(address + uint32_t(i)));
    return data;
}

// An S2 data record of 32 firmware bytes.
inline std::string S2(uint32_t address) {
    return Record('2', 3, address, FirmwareData(address, 32));
}

inline std::string Header() {
    return Record('0', 2, 0, {'t', 'e', 's', 't'});
}
inline std::string S9() {
    return Record('9', 2, 0, {});
}

// S2 records covering [first, last) in steps of 32, lines ending in `eol`.
inline std::string S2Block(uint32_t first, uint32_t last, const char* eol = "\r\n") {
    std::string out;
    for (uint32_t a = first; a < last; a += 32)
        out += S2(a) + eol;
    return out;
}

struct RunResult {
    int status;
    std::string output;
};

// Runs a shell command; output holds stdout and stderr together.
inline RunResult RunCommand(const std::string& command) {
    std::string output;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return {-1, "popen failed"};
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        output.append(buf, n);
    int rc = ::pclose(p);
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, output};
}

inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

} // namespace srectest
