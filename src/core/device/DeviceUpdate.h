#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What the update dialog passes to the external serial updater.

inline constexpr const char* UpdaterProgram = "Ser_52830_Update.exe";
inline constexpr const char* UpdaterParamFile = "sim52830.sim";

// The four steps, one check box each.
struct UpdateSteps {
    bool firmware = true;     // FW
    bool readFirmware = true; // FR
    bool project = true;      // PW
    bool readProject = true;  // PR
};

// <exeFolder>/Ser_52830_Update.exe
std::string UpdaterPath(const std::string& exeFolder);

// The port, the four step tokens (NO for a step left out), the quoted
// parameter file in masterFolder and the quoted bin folder of the project:
//   COM3 FW FR PW PR "<master>/sim52830.sim" "<project>/bin/"
// A folder holding a double quote cannot be quoted this way and is refused
// (TessaroError) rather than passed to the updater split in the wrong place.
std::string UpdaterParameters(const std::string& port, const UpdateSteps& steps,
                              const std::string& masterFolder, const std::string& projectFolder);

// The port list: "COM1" ... "COM10", then the USB serial adapters present in
// devFolder (ttyUSB*, then ttyACM*, each in number order) by their path.
std::vector<std::string> SerialPortNames(const std::string& devFolder = "/dev");

// A port entry as the user sees it: the port name first, then its device.
// "COM1 (/dev/ttyS0)"; a USB adapter with its maker and model from sysfs,
// "/dev/ttyUSB0 (FTDI FT232R USB UART)"; a path sysfs knows nothing of stays bare.
std::string SerialPortLabel(const std::string& port, const std::string& sysfsRoot = "/sys");

// Size and CRC-32 (as zip computes it) of a file; exists is false when it
// cannot be read.
struct FileDigest {
    bool exists = false;
    uint64_t size = 0;
    uint32_t crc32 = 0;
};
FileDigest DigestFile(const std::string& path);

// <projectFolder>/bin/update.log: one line a run of the updater.
std::string UpdateLogPath(const std::string& projectFolder);
// Appends one line (a line end is added), keeping what is there.
void AppendUpdateLog(const std::string& projectFolder, const std::string& line);

// One run of the updater, for the window's summary and the log.
struct UpdateRunRecord {
    std::string when; // local time, "2026-12-10 09:55:02"
    std::string port; // the port entry as the list shows it
    UpdateSteps steps;
    std::string file; // the image given to the updater; empty when not sent
    FileDigest digest;
    long long millis = 0;
    std::string ending; // RunEnding's text
};

// What was sent, to which port, how long it took and how the updater ended:
//   Sent: /p/bin/bank.bin, 4096 bytes, CRC-32 1A2B3C4D
//   Port: COM1 (/dev/ttyS0)
//   Time: 12.3 s
//   End: the updater ended with exit code 0
std::vector<std::string> UpdateSummary(const UpdateRunRecord& run);
// The same on one line, with the time and the steps, for bin/update.log.
std::string UpdateLogLine(const UpdateRunRecord& run);
