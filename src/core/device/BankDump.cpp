#include "core/device/BankDump.h"

#include "core/device/ConfigImage.h"
#include "core/device/Crc32.h"
#include "core/project/Errors.h"
#include "core/project/Text.h"

#include <cstdio>
#include <sstream>

namespace {
std::string CodeName(const std::vector<const char*>& names, int code) {
    if (code >= 0 && code < static_cast<int>(names.size())) return names[size_t(code)];
    return "unknown code " + std::to_string(code);
}

BankRecord ReadRecord(const uint8_t* p) {
    BankRecord r;
    r.slave = p[bank::RdSlaveId];
    r.type = p[bank::RdType];
    r.addressMod = bank::Get16(p + bank::RdAddressMod);
    r.points = p[bank::RdNPoint];
    r.addressDeviceNet = bank::Get16(p + bank::RdAddressDN);
    r.swap = p[bank::RdSwap];
    return r;
}

BankRecord WriteRecord(const uint8_t* p) {
    BankRecord r;
    r.slave = p[bank::WrSlaveId];
    r.addressMod = bank::Get16(p + bank::WrAddressMod);
    r.points = p[bank::WrNPoint];
    r.addressDeviceNet = bank::Get16(p + bank::WrAddressDN);
    r.type = p[bank::WrType];
    r.swap = p[bank::WrSwap];
    return r;
}

std::string Hex2(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "0x%02X", v & 0xFF);
    return b;
}

} // namespace

std::string BankTypeName(int code, bool writeRecord) {
    switch (code) {
    case bank::TypeCoilStatus:
        return "Coil Status";
    case bank::TypeInputStatus:
        return writeRecord ? "unknown code 2" : "Input Status";
    case bank::TypeHoldingRegister:
        return "Holding Register";
    case bank::TypeInputRegister:
        return writeRecord ? "unknown code 4" : "Input Register";
    default:
        return "unknown code " + std::to_string(code);
    }
}

std::string BankSerialBaudName(int code) {
    return CodeName({"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}, code);
}
std::string BankParityName(int code) {
    return CodeName({"NONE", "EVEN", "ODD"}, code);
}
std::string BankLineName(int code) {
    return CodeName({"RS485", "RS232"}, code);
}
std::string BankFramingName(int code) {
    return CodeName({"RTU (Modbus RTU, JBUS, Binary)", "ASCII (Modbus ASCII, ASCII)"}, code);
}
std::string BankDeviceNetBaudName(int code) {
    return CodeName({"125K", "250K", "500K"}, code);
}

BankImage DecodeBank(const std::vector<uint8_t>& data) {
    BankImage img;
    img.length = data.size();
    img.crc32 = Crc32(data);
    if (data.size() < bank::HeaderSize)
        throw TessaroError("The image is " + std::to_string(data.size()) +
                           " bytes long, shorter than its 8-byte header");
    img.firstRecord = bank::Get32(data.data() + bank::OffFirstRecord);
    img.paramOffset = bank::Get32(data.data() + bank::OffParamBlock);
    if (img.firstRecord != int32_t(bank::HeaderSize))
        throw TessaroError("The first record offset is " + std::to_string(img.firstRecord) +
                           ", not 8");
    const int64_t p = img.paramOffset;
    if (p < int64_t(bank::HeaderSize) || p > int64_t(data.size()) ||
        (p - int64_t(bank::HeaderSize)) % int64_t(bank::RecordSize) != 0)
        throw TessaroError("The parameter block offset " + std::to_string(p) +
                           " does not fit an image of " + std::to_string(data.size()) + " bytes");
    const size_t records = (size_t(p) - bank::HeaderSize) / bank::RecordSize;
    const size_t tail = data.size() - size_t(p);
    if (tail != 0 && tail != bank::ParamBlockSize)
        throw TessaroError("After the records come " + std::to_string(tail) +
                           " bytes; a parameter block has 22");

    if (tail == bank::ParamBlockSize) {
        const uint8_t* b = data.data() + p;
        // Each field's place and width (1 byte, or 2 little-endian).
        using P = BankParams;
        static constexpr struct {
            int P::*field;
            size_t at;
            int width;
        } layout[] = {{&P::serBaud, bank::PSerBaud, 1},
                      {&P::serPar, bank::PSerPar, 1},
                      {&P::serTO, bank::PSerTO, 2},
                      {&P::serCD, bank::PSerCD, 2},
                      {&P::serType, bank::PSerType, 1},
                      {&P::serProt, bank::PSerProt, 1},
                      {&P::dnId, bank::PDnId, 1},
                      {&P::dnBaud, bank::PDnBaud, 1},
                      {&P::dnNbIn, bank::PDnNbIn, 2},
                      {&P::dnNbOut, bank::PDnNbOut, 2},
                      {&P::countIn, bank::PCountIn, 2},
                      {&P::countOut, bank::PCountOut, 2},
                      {&P::writeMode, bank::PSerWriteMode, 1},
                      {&P::enableError, bank::PDnEnableError, 1},
                      {&P::numContErr, bank::PDnNumContErr, 1},
                      {&P::valCancData, bank::PDnValCancData, 1}};
        BankParams pr;
        for (const auto& f : layout)
            pr.*f.field = f.width == 2 ? bank::Get16(b + f.at) : b[f.at];
        if (size_t(pr.countIn) + size_t(pr.countOut) != records)
            throw TessaroError("The parameter block counts " + std::to_string(pr.countIn) +
                               " read and " + std::to_string(pr.countOut) +
                               " write records, but the image holds " + std::to_string(records));
        img.params = pr;
        for (size_t i = 0; i < records; ++i) {
            const uint8_t* r = data.data() + bank::HeaderSize + i * bank::RecordSize;
            if (i < size_t(pr.countIn))
                img.in.push_back(ReadRecord(r));
            else
                img.out.push_back(WriteRecord(r));
        }
    } else {
        for (size_t i = 0; i < records; ++i) {
            auto first = data.begin() + long(bank::HeaderSize + i * bank::RecordSize);
            img.unsplit.emplace_back(first, first + long(bank::RecordSize));
        }
    }
    return img;
}

std::string BankListing(const BankImage& img, const std::string& name) {
    std::ostringstream o;
    o << LineText(name) << ": " << img.length << " bytes, " << Crc32Text(img.crc32) << "\n";
    o << "Header: first record at " << img.firstRecord << ", parameter block at " << img.paramOffset
      << "\n";
    auto records = [&](const char* title, const std::vector<BankRecord>& rs, bool write) {
        o << title << " (" << rs.size() << ")\n";
        for (size_t i = 0; i < rs.size(); ++i) {
            const BankRecord& r = rs[i];
            o << "  " << i + 1 << ": slave " << r.slave << ", " << BankTypeName(r.type, write)
              << ", address " << r.addressMod << ", points " << r.points << ", DeviceNet byte "
              << r.addressDeviceNet << ", swap " << (r.swap ? "yes" : "no") << "\n";
        }
    };
    if (img.params) {
        records("Serial-read records", img.in, false);
        records("Serial-write records", img.out, true);
        const BankParams& p = *img.params;
        o << "Parameters\n"
          << "  Serial baud rate: " << BankSerialBaudName(p.serBaud) << "\n"
          << "  Parity: " << BankParityName(p.serPar) << "\n"
          << "  Time-out: " << p.serTO << " ms\n"
          << "  Cyclic delay: " << p.serCD << " ms\n"
          << "  Line: " << BankLineName(p.serType) << "\n"
          << "  Framing: " << BankFramingName(p.serProt) << "\n"
          << "  Write mode: " << (p.writeMode == 0 ? "write on change of data" : "cyclic write")
          << "\n"
          << "  DeviceNet node: " << p.dnId << "\n"
          << "  DeviceNet baud rate: " << BankDeviceNetBaudName(p.dnBaud) << "\n"
          << "  DeviceNet input bytes: " << p.dnNbIn << "\n"
          << "  DeviceNet output bytes: " << p.dnNbOut << "\n"
          << "  Read records: " << p.countIn << "\n"
          << "  Write records: " << p.countOut << "\n"
          << "  Modbus error check: " << (p.enableError ? "enabled" : "disabled") << "\n"
          << "  Consecutive errors: " << p.numContErr << "\n"
          << "  Cancelled data value: " << Hex2(p.valCancData) << "\n";
    } else {
        o << "Access records (" << img.unsplit.size()
          << "; no parameter block, so read and write records cannot be told apart)\n";
        for (size_t i = 0; i < img.unsplit.size(); ++i) {
            o << "  " << i + 1 << ":";
            for (uint8_t b : img.unsplit[i])
                o << " " << Hex2(b).substr(2);
            o << "\n";
        }
        o << "No parameter block\n";
    }
    return o.str();
}

std::string BankJson(const BankImage& img, const std::string& name) {
    std::ostringstream o;
    auto records = [&](const std::vector<BankRecord>& rs, bool write) {
        o << "[";
        for (size_t i = 0; i < rs.size(); ++i) {
            const BankRecord& r = rs[i];
            o << (i ? ", " : "") << "{\"slave\": " << r.slave << ", \"type\": " << r.type
              << ", \"typeName\": " << JsonString(BankTypeName(r.type, write))
              << ", \"address\": " << r.addressMod << ", \"points\": " << r.points
              << ", \"deviceNetByte\": " << r.addressDeviceNet
              << ", \"swap\": " << (r.swap ? "true" : "false") << "}";
        }
        o << "]";
    };
    o << "{\"file\": " << JsonString(name) << ", \"length\": " << img.length << ", \"crc32\": \""
      << Crc32Hex(img.crc32) << "\""
      << ", \"firstRecord\": " << img.firstRecord << ", \"parameterBlock\": " << img.paramOffset;
    if (img.params) {
        const BankParams& p = *img.params;
        o << ", \"read\": ";
        records(img.in, false);
        o << ", \"write\": ";
        records(img.out, true);
        o << ", \"parameters\": {\"serialBaud\": " << JsonString(BankSerialBaudName(p.serBaud))
          << ", \"parity\": " << JsonString(BankParityName(p.serPar))
          << ", \"timeoutMs\": " << p.serTO << ", \"cyclicDelayMs\": " << p.serCD
          << ", \"line\": " << JsonString(BankLineName(p.serType)) << ", \"framing\": "
          << JsonString(p.serProt == 0   ? "RTU"
                        : p.serProt == 1 ? "ASCII"
                                         : BankFramingName(p.serProt))
          << ", \"cyclicWrite\": " << (p.writeMode ? "true" : "false")
          << ", \"deviceNetNode\": " << p.dnId
          << ", \"deviceNetBaud\": " << JsonString(BankDeviceNetBaudName(p.dnBaud))
          << ", \"inputBytes\": " << p.dnNbIn << ", \"outputBytes\": " << p.dnNbOut
          << ", \"readRecords\": " << p.countIn << ", \"writeRecords\": " << p.countOut
          << ", \"errorCheck\": " << (p.enableError ? "true" : "false")
          << ", \"consecutiveErrors\": " << p.numContErr
          << ", \"cancelledDataValue\": " << p.valCancData << "}";
    } else {
        o << ", \"records\": [";
        for (size_t i = 0; i < img.unsplit.size(); ++i) {
            o << (i ? ", " : "") << "[";
            for (size_t k = 0; k < img.unsplit[i].size(); ++k)
                o << (k ? ", " : "") << int(img.unsplit[i][k]);
            o << "]";
        }
        o << "], \"parameters\": null";
    }
    o << "}\n";
    return o.str();
}
