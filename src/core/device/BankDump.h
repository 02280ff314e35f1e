#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A decoded bank.bin, for listing an image without the device.
struct BankRecord {
    int slave = 0;
    int type = 0;
    int addressMod = 0;
    int points = 0;
    int addressDeviceNet = 0;
    int swap = 0;
};

struct BankParams {
    int serBaud = 0, serPar = 0, serTO = 0, serCD = 0, serType = 0, serProt = 0;
    int dnId = 0, dnBaud = 0, dnNbIn = 0, dnNbOut = 0, countIn = 0, countOut = 0;
    int writeMode = 0, enableError = 0, numContErr = 0, valCancData = 0;
};

struct BankImage {
    size_t length = 0;
    uint32_t crc32 = 0; // of the whole image, as Crc32 gives it
    int32_t firstRecord = 0;
    int32_t paramOffset = 0;
    // Without a parameter block the split into read and write records is
    // unknown: every record is then listed in `unsplit`.
    std::vector<BankRecord> in;
    std::vector<BankRecord> out;
    std::vector<std::vector<uint8_t>> unsplit;
    std::optional<BankParams> params;
};

// Decodes an image; throws TessaroError naming what does not agree with the
// layout (length, offsets, record counts). Never reads past the data.
BankImage DecodeBank(const std::vector<uint8_t>& data);

// Readable names of the coded values.
std::string BankTypeName(int code, bool writeRecord);
std::string BankSerialBaudName(int code);
std::string BankParityName(int code);
std::string BankLineName(int code);
std::string BankFramingName(int code);
std::string BankDeviceNetBaudName(int code);

std::string BankListing(const BankImage& image, const std::string& name);
std::string BankJson(const BankImage& image, const std::string& name);
