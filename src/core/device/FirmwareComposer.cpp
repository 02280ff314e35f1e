#include "core/device/FirmwareComposer.h"

#include "core/device/Process.h"
#include "core/project/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <optional>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

const std::array<BankRange, BankCount> BankRanges = {{
    {"bank1.bin", 0x388000, 0x38BFFF},
    {"bank2.bin", 0x398000, 0x39BFFF},
    {"bank3.bin", 0x3A8000, 0x3ABFFF},
    {"bank4.bin", 0x3B8000, 0x3BBFFF},
    {"bank5.bin", 0x3C8000, 0x3CBFFF},
}};

namespace {

// Stage files are the program's own and keep the degree sign in UTF-8: a
// file system of UTF-8 names cannot name a file by the lone byte B0.
constexpr const char* Degree = "\xC2\xB0";
// The flash programmer splits its argument at the single byte B6: passed as
// is, never converted to UTF-8.
constexpr char ParameterSeparator = '\xB6';

constexpr char HexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void AppendHex(std::string& out, uint32_t value, int digits) {
    for (int i = digits - 1; i >= 0; --i)
        out += HexDigits[(value >> (4 * i)) & 0xF];
}

// Address of an S1 (16-bit) or S2 (24-bit) record; empty when the digits are
// missing or not hexadecimal.
std::optional<uint32_t> RecordAddress(std::string_view line) {
    const size_t digits = line[1] == '1' ? 4 : 6;
    if (line.size() < 4 + digits) return std::nullopt;
    uint32_t value = 0;
    for (size_t i = 4; i < 4 + digits; ++i) {
        int h = HexValue(line[i]);
        if (h < 0) return std::nullopt;
        value = value << 4 | uint32_t(h);
    }
    return value;
}

void RemoveFile(const std::string& path) {
    ::unlink(path.c_str());
}

} // namespace

std::string StageFileName(int stage) {
    return std::string(Degree) + "B" + std::to_string(stage + 1) + Degree + ".sx";
}

std::string SRecordChecksum(std::string& record) {
    if (record.size() < 4) throw std::invalid_argument("S-record too short: " + record);
    unsigned sum = 0;
    // The type ("S2") and the placeholder are not summed; the rest are byte pairs.
    const size_t end = record.size() - 2;
    for (size_t i = 2; i + 1 < end; i += 2) {
        int hi = HexValue(record[i]), lo = HexValue(record[i + 1]);
        if (hi < 0 || lo < 0) throw std::invalid_argument("S-record not hexadecimal: " + record);
        sum += unsigned(hi << 4 | lo);
    }
    const unsigned check = ~sum & 0xFF;
    record[end] = HexDigits[check >> 4];
    record[end + 1] = HexDigits[check & 0xF];
    return record.substr(end);
}

std::string BankRecord(uint32_t address, const unsigned char* data) {
    std::string rec = "S224";
    rec.reserve(4 + 6 + 2 * BankRecordBytes + 2);
    AppendHex(rec, address, 6);
    for (int i = 0; i < BankRecordBytes; ++i)
        AppendHex(rec, data[i], 2);
    rec += "00";
    SRecordChecksum(rec);
    return rec;
}

std::string BankRecords(uint32_t first, std::string_view image) {
    if (image.size() < size_t(BankBytes)) throw std::invalid_argument("bank image too short");
    std::string out;
    out.reserve(size_t(BankRecordCount) * 78);
    const auto* bytes = reinterpret_cast<const unsigned char*>(image.data());
    for (int r = 0; r < BankRecordCount; ++r) {
        out += BankRecord(first + uint32_t(r * BankRecordBytes), bytes + r * BankRecordBytes);
        out += "\r\n";
    }
    return out;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string FlashProgrammerParameter(const std::string& file, int portIndex) {
    return "\"" + file + "\"" + ParameterSeparator + std::to_string(portIndex);
}

bool StartProgram(const std::string& program, const std::string& parameter) {
    // Spawned, never forked from the threaded program: in a session of its
    // own, with default signals, none of the program's files (a serial port's
    // lock among them) and the argument's bytes as they are. A thread reaps it
    // when it ends; glibc's posix_spawn reports a failed exec as its result.
    std::string prog = program, par = parameter;
    char* argv[] = {prog.data(), par.data(), nullptr};
    SpawnSetup setup;
    setup.closeOthers = true;
    setup.group = SpawnSetup::Group::Session;
    pid_t pid = -1;
    const int err = SpawnChild(prog, argv, setup, pid);
    if (err != 0) return false;
    std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

MergedRecords MergeRecords(const std::vector<std::string_view>& lines, const BankRange& range,
                           std::string_view records, const std::function<void()>& step) {
    MergedRecords m;
    size_t size = records.size();
    for (std::string_view line : lines)
        size += line.size() + 2;
    m.text.reserve(size);
    auto copy = [&m](std::string_view line) {
        m.text += line;
        m.text += "\r\n";
    };
    const size_t recordLines = size_t(std::count(records.begin(), records.end(), '\n'));
    bool inserted = false;
    for (std::string_view line : lines) {
        if (step) step();
        const std::string_view type = line.substr(0, 2);
        if (type == "S1" || type == "S2") {
            const std::optional<uint32_t> address = RecordAddress(line);
            if (!address) {
                m.failed = true;
                break;
            }
            if (*address < range.first || *address > range.last) {
                copy(line);
            } else if (!inserted) {
                m.text += records;
                if (step)
                    for (size_t i = 0; i < recordLines; ++i)
                        step();
                inserted = true;
            }
        } else if (type == "S9") {
            m.result = inserted ? 1 : 0;
            copy(line);
        } else {
            copy(line);
        }
    }
    return m;
}

FirmwareComposer::FirmwareComposer()
    : startProgram([](const std::string& program, const std::string& parameter) {
          StartProgram(program, parameter);
      }) {}

void FirmwareComposer::message(const std::string& text) {
    if (onMessage) onMessage(text);
}

void FirmwareComposer::progress(int position) {
    if (onProgress) onProgress(position, progressMax_);
}

void FirmwareComposer::SelectFirmware(const std::string& folder, const std::string& name,
                                      const std::string& projectFolder) {
    FirmwareFolder = folder;
    FirmwareName = name;
    OutFolder = projectFolder;
    if (OutFolder.empty() || OutFolder.back() != PathSep) OutFolder += PathSep;
    NewName = "New_" + FirmwareName;
}

std::string FirmwareComposer::FirmwarePath() const {
    return FirmwareFolder.empty() ? FirmwareName : FirmwareFolder + PathSep + FirmwareName;
}

int FirmwareComposer::MergeBank(int bank, const std::string& target, const std::string& source) {
    progress(0);
    if (!FileExists(source)) {
        message("File *.Sx Not Found,Abort Procedure");
        return -1;
    }
    if (NewName.empty()) {
        message("File New *.Sx Not Found,Abort Procedure");
        return -1;
    }
    if (!DirectoryExists(BinFolder)) {
        message("Directory Bin Not Found,Abort Procedure");
        return -1;
    }
    const BankRange& range = BankRanges.at(size_t(bank));
    const std::string binPath = BinFolder + range.fileName;
    if (!FileExists(binPath)) {
        message(std::string("File ") + range.fileName + " Not Found,Abort Procedure");
        return -1;
    }
    const std::string image = ReadFileBytes(binPath, MaxDocumentBytes);
    if (image.size() < size_t(BankBytes)) {
        // Fewer bytes than the bank holds would leave part of it undefined.
        message(std::string("File ") + range.fileName + " shorter than " +
                std::to_string(BankBytes) + " bytes,Abort Procedure");
        return -1;
    }
    const std::string records = BankRecords(range.first, image);

    const std::string text = ReadFileBytes(source, MaxDocumentBytes);
    const std::vector<std::string_view> lines = SplitLines(text);
    progressMax_ = BankRecordCount + int(lines.size());
    progress(0);

    int position = 0;
    MergedRecords merged = MergeRecords(lines, range, records, [&] { progress(++position); });
    int result = merged.result;
    if (merged.failed) {
        message("File New Sx Not Create,Abort Procedure");
        // The merge did not complete, whatever an earlier S9 record said.
        result = -1;
    }
    progress(progressMax_);
    WriteFileAtomic(OutFolder + target, merged.text);
    return result;
}

std::vector<int> FirmwareComposer::Compose(const std::array<bool, BankCount>& selected) {
    // The stage files go however the run ends, a refused or failed write too.
    struct RemoveStages {
        const std::string& folder;
        ~RemoveStages() {
            for (int stage = 0; stage < BankCount; ++stage)
                RemoveFile(folder + StageFileName(stage));
        }
    } cleanup{OutFolder};
    std::vector<int> results;
    int result = 0;
    for (int stage = 0; stage < BankCount; ++stage) {
        const std::string target = stage < BankCount - 1 ? StageFileName(stage) : NewName;
        const std::string source =
            stage == 0 ? FirmwarePath() : OutFolder + StageFileName(stage - 1);
        if (selected[size_t(stage)]) {
            result = MergeBank(stage, target, source);
        } else if (!FileExists(source)) {
            // A stale output goes; a FIFO, a device or a file the user may not
            // write stays.
            RemoveOutputFile(OutFolder + target);
        } else if (stage == 0) {
            // The firmware is copied, never moved: it may be the factory file
            // or a file of the user's.
            WriteFileAtomic(OutFolder + target, ReadFileBytes(source, MaxDocumentBytes));
        } else {
            // A stage file of this run moves on, as a write would replace the
            // target: a target the user may not write is refused.
            MoveFileOver(source, OutFolder + target);
        }
        results.push_back(result);
        if (onStageDone) onStageDone(stage, result);
        if (result == -1) break;
    }
    return results;
}

void FirmwareComposer::Update(int portIndex, const std::string& exeFolder) {
    const std::string file = OutFolder + NewName;
    if (!FileExists(file)) {
        message("File *.Sx Not Found,Abort Procedure");
        return;
    }
    const std::string program = exeFolder + PathSep + FlashProgrammer;
    if (!FileExists(program)) {
        message("DadarOrovu.exe Not Found, Procedure Aborted");
        return;
    }
    if (startProgram) startProgram(program, FlashProgrammerParameter(file, portIndex));
}
