#pragma once
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
