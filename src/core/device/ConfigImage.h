#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The configuration image (bank.bin) that the gateway reads: a header, the
// serial-read access records, the serial-write access records and the
// communication parameter block. Every multi-byte field is little-endian; a
// value put into a narrower field keeps its low bits.
namespace bank {

inline constexpr size_t Capacity = 100001;

// Header: two signed 32-bit offsets.
inline constexpr size_t HeaderSize = 8;
inline constexpr size_t OffFirstRecord = 0; // always 8
inline constexpr size_t OffParamBlock = 4;  // 8 + 8 * (nIN + nOUT)

inline constexpr size_t RecordSize = 8;

// Serial-read record, one per row of DeviceNet_IN.
inline constexpr size_t RdSlaveId = 0;    // 1 byte
inline constexpr size_t RdType = 1;       // 1 byte, TypeCode
inline constexpr size_t RdAddressMod = 2; // 2 bytes
inline constexpr size_t RdNPoint = 4;     // 1 byte
inline constexpr size_t RdAddressDN = 5;  // 2 bytes
inline constexpr size_t RdSwap = 7;       // 1 byte, 0 or 1

// Serial-write record, one per row of DeviceNet_OUT: the type follows the addresses.
inline constexpr size_t WrSlaveId = 0;    // 1 byte
inline constexpr size_t WrAddressMod = 1; // 2 bytes
inline constexpr size_t WrNPoint = 3;     // 1 byte
inline constexpr size_t WrAddressDN = 4;  // 2 bytes
inline constexpr size_t WrType = 6;       // 1 byte, 1 coil or 3 register
inline constexpr size_t WrSwap = 7;       // 1 byte, 0 or 1

// Object type codes of the records.
inline constexpr uint8_t TypeCoilStatus = 1;
inline constexpr uint8_t TypeInputStatus = 2;
inline constexpr uint8_t TypeHoldingRegister = 3;
inline constexpr uint8_t TypeInputRegister = 4;

// Parameter block at the offset stored in the header (only when pargen.xml exists).
inline constexpr size_t ParamBlockSize = 22;
inline constexpr size_t PSerBaud = 0;        // 1 byte, baud code 0..7
inline constexpr size_t PSerPar = 1;         // 1 byte, 0 none, 1 even, 2 odd
inline constexpr size_t PSerTO = 2;          // 2 bytes, ms
inline constexpr size_t PSerCD = 4;          // 2 bytes, ms
inline constexpr size_t PSerType = 6;        // 1 byte, 0 RS485, 1 RS232 (inverse of pargen.xml)
inline constexpr size_t PSerProt = 7;        // 1 byte, 0 binary framing, 1 ASCII framing
inline constexpr size_t PDnId = 8;           // 1 byte
inline constexpr size_t PDnBaud = 9;         // 1 byte, 0 125K, 1 250K, 2 500K
inline constexpr size_t PDnNbIn = 10;        // 2 bytes
inline constexpr size_t PDnNbOut = 12;       // 2 bytes
inline constexpr size_t PCountIn = 14;       // 2 bytes, nIN
inline constexpr size_t PCountOut = 16;      // 2 bytes, nOUT
inline constexpr size_t PSerWriteMode = 18;  // 1 byte, default 0
inline constexpr size_t PDnEnableError = 19; // 1 byte, default 0
inline constexpr size_t PDnNumContErr = 20;  // 1 byte, default 3
inline constexpr size_t PDnValCancData = 21; // 1 byte, default 0

inline constexpr const char* SdoFile = "sdo.xml";
inline constexpr const char* PargenFile = "pargen.xml";
inline constexpr const char* BinFolder = "bin";
inline constexpr const char* BankFile = "bank.bin";

// Little-endian readers for tools that decode an image.
inline uint16_t Get16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline int32_t Get32(const uint8_t* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                   uint32_t(p[3]) << 24);
}

} // namespace bank

class Project;

// The image of the project. A value the image cannot take stops the build
// with a TessaroError naming the file, the table, the row and the column
// (the project check reports each of them as an error first). A Type outside
// its table's list is coded as Holding Register (3), a protocol code outside
// 0 to 4 as binary framing (0); those are check errors too, so only a forced
// build writes them. A project needing more than bank::Capacity bytes is
// refused before anything is built.
std::vector<uint8_t> BuildImage(const Project& project);
// The same from the files of a folder.
std::vector<uint8_t> BuildImage(const std::string& projectFolder);

// Writes the image to <projectFolder>/bin/bank.bin through the safe file
// writer, creating bin/ when it is missing; throws FileError when that fails.
void WriteImage(const std::string& projectFolder, const std::vector<uint8_t>& image);

// <projectFolder>/bin/bank.bin
std::string BankPath(const std::string& projectFolder);
