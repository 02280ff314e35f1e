#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Factory firmware in the MASTER folder.
inline constexpr const char* DefaultFirmware = "sx52817.sx";
// External flash programmer beside the executable.
inline constexpr const char* FlashProgrammer = "DadarOrovu.exe";

inline constexpr int BankCount = 5;
inline constexpr int BankRecordBytes = 32;
inline constexpr int BankRecordCount = 512;
inline constexpr int BankBytes = BankRecordBytes * BankRecordCount; // 16,384

struct BankRange {
    const char* fileName;
    uint32_t first;
    uint32_t last;
};

// Banks 1 to 5 (index 0 to 4): the bank file and its address range.
extern const std::array<BankRange, BankCount> BankRanges;

// Intermediate files of the composition stages, "°B1°.sx" to "°B5°.sx".
std::string StageFileName(int stage);

// `record` ends in a two-character placeholder; puts the S-record checksum of
// the record's bytes (everything after the "Sn" type) in its place and returns
// the two digits.
std::string SRecordChecksum(std::string& record);

// One S224 record: address and 32 data bytes, checksum included, no line end.
std::string BankRecord(uint32_t address, const unsigned char* data);

// The 512 records of a 16,384-byte bank image from `first` upward, each
// ending in CR LF.
std::string BankRecords(uint32_t first, std::string_view image);

// Lines of a text as a line reader sees them: split at CR LF, LF or CR; a
// last line without line end counts too.
std::vector<std::string_view> SplitLines(std::string_view text);

struct MergedRecords {
    std::string text;
    // 1 / 0 after an S9 record with / without the bank inserted; -1 without S9.
    int result = -1;
    // A record address that is missing or not hexadecimal stopped the merge.
    bool failed = false;
};

// Copies the source lines with CR LF, putting `records` (CR LF lines) in place
// of the first S1/S2 record inside the range and dropping the range's other
// records. `step` is called once per source line and per inserted line.
MergedRecords MergeRecords(const std::vector<std::string_view>& lines, const BankRange& range,
                           std::string_view records, const std::function<void()>& step = {});

// Parameter text of the flash programmer: the quoted firmware path, the
// pilcrow as the single byte B6 (not its UTF-8 form) and the position of the
// port in the port list.
std::string FlashProgrammerParameter(const std::string& file, int portIndex);

// Starts `program` with `parameter` as its one argument without waiting for
// it; false when it could not be started.
bool StartProgram(const std::string& program, const std::string& parameter);

// Merges configuration banks into an S-record firmware file and hands the
// result to the flash programmer. Messages and progress go through callbacks.
class FirmwareComposer {
public:
    FirmwareComposer();

    // Folder and name of the firmware to start from.
    std::string FirmwareFolder;
    std::string FirmwareName;
    // Folder of the bank files, ending in the separator.
    std::string BinFolder;
    // Folder of the intermediate and merged files, ending in the separator.
    std::string OutFolder;
    // Name of the merged firmware.
    std::string NewName;

    std::function<void(const std::string&)> onMessage;
    // Progress bar position and maximum.
    std::function<void(int position, int maximum)> onProgress;
    // After each stage: the bank (0-4) and the stage's result.
    std::function<void(int bank, int result)> onStageDone;
    // How the flash programmer is started; StartProgram unless replaced.
    std::function<void(const std::string& program, const std::string& parameter)> startProgram;

    // A firmware was chosen: sets the out folder from the project folder and
    // the new name "New_" + name.
    void SelectFirmware(const std::string& folder, const std::string& name,
                        const std::string& projectFolder);
    std::string FirmwarePath() const;

    // 1: the bank was inserted; 0: the source had no record in the bank's
    // range; -1: a message was shown or the source has no S9 record. File
    // errors while reading or writing throw FileError.
    int MergeBank(int bank, const std::string& target, const std::string& source);

    // Runs the five stages; selected[i] tells whether bank i is merged.
    // Returns the results of the stages that ran.
    std::vector<int> Compose(const std::array<bool, BankCount>& selected);

    // Starts the flash programmer on OutFolder + NewName.
    void Update(int portIndex, const std::string& exeFolder);

private:
    void message(const std::string& text);
    void progress(int position);

    int progressMax_ = 100;
};
