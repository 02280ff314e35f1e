#include "core/device/DeviceUpdate.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

#include <algorithm>
#include <dirent.h>

std::string UpdaterPath(const std::string& exeFolder) {
    return exeFolder + PathSep + UpdaterProgram;
}

std::string UpdaterParameters(const std::string& port, const UpdateSteps& steps,
                              const std::string& masterFolder, const std::string& projectFolder) {
    for (const std::string* folder : {&masterFolder, &projectFolder})
        if (folder->find('"') != std::string::npos)
            throw TessaroError("Error!! The folder " + *folder +
                               " contains a double quote and cannot be passed to the updater. ");
    std::string text = port + " ";
    text += steps.firmware ? "FW " : "NO ";
    text += steps.readFirmware ? "FR " : "NO ";
    text += steps.project ? "PW " : "NO ";
    text += steps.readProject ? "PR " : "NO ";
    text += "\"" + masterFolder + PathSep + UpdaterParamFile + "\" ";
    text += "\"" + projectFolder + PathSep + "bin" + PathSep + "\"";
    return text;
}

namespace {
// Devices named prefix + number, in number order.
std::vector<std::string> Numbered(const std::vector<std::string>& names,
                                  const std::string& prefix) {
    std::vector<std::pair<long, std::string>> found;
    for (const std::string& n : names) {
        if (n.size() <= prefix.size() || n.compare(0, prefix.size(), prefix) != 0) continue;
        std::string digits = n.substr(prefix.size());
        if (digits.size() > 6 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        found.emplace_back(std::stol(digits), n);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> out;
    for (auto& f : found)
        out.push_back(f.second);
    return out;
}
} // namespace

std::vector<std::string> SerialPortNames(const std::string& devFolder) {
    std::vector<std::string> ports;
    for (int i = 1; i <= 10; ++i)
        ports.push_back("COM" + std::to_string(i));

    std::vector<std::string> names;
    if (DIR* d = ::opendir(devFolder.c_str())) {
        while (dirent* e = ::readdir(d))
            names.emplace_back(e->d_name);
        ::closedir(d);
    }
    for (const char* prefix : {"ttyUSB", "ttyACM"})
        for (const std::string& n : Numbered(names, prefix))
            ports.push_back(devFolder + PathSep + n);
    return ports;
}
