#include "core/device/DeviceUpdate.h"

#include "core/device/Crc32.h"
#include "core/device/SerialPort.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <fstream>

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

namespace {
std::string FirstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

// Maker and model of the USB device a tty belongs to: the nearest folder above
// the tty's device that has a "product" file.
std::string UsbName(const std::string& tty, const std::string& sysfsRoot) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path dev = fs::canonical(fs::path(sysfsRoot) / "class" / "tty" / tty / "device", ec);
    if (ec) return {};
    for (int up = 0; up < 4 && !dev.empty() && dev != dev.root_path(); ++up) {
        std::string product = FirstLine(dev / "product");
        if (!product.empty()) {
            std::string maker = FirstLine(dev / "manufacturer");
            if (maker.empty() || product.compare(0, maker.size(), maker) == 0) return product;
            return maker + " " + product;
        }
        dev = dev.parent_path();
    }
    return {};
}
} // namespace

std::string SerialPortLabel(const std::string& port, const std::string& sysfsRoot) {
    const std::string device = TCustomComm::DevicePath(port);
    if (device != port) return port + " (" + device + ")";
    const std::string tty = port.substr(port.rfind('/') + 1);
    const std::string name = tty.empty() ? std::string() : UsbName(tty, sysfsRoot);
    return name.empty() ? port : port + " (" + name + ")";
}

FileDigest DigestFile(const std::string& path) {
    FileDigest d;
    std::ifstream in(path, std::ios::binary);
    if (!in) return d;
    uint32_t crc = 0;
    char buf[65536];
    while (in) {
        in.read(buf, sizeof buf);
        std::streamsize n = in.gcount();
        if (n <= 0) break;
        crc = Crc32Update(crc, buf, static_cast<size_t>(n));
        d.size += static_cast<uint64_t>(n);
    }
    if (in.bad()) return {};
    d.exists = true;
    d.crc32 = crc;
    return d;
}

std::string UpdateLogPath(const std::string& projectFolder) {
    return projectFolder + PathSep + "bin" + PathSep + "update.log";
}

void AppendUpdateLog(const std::string& projectFolder, const std::string& line) {
    // Without a project the path would be the root's bin folder.
    if (projectFolder.empty()) throw TessaroError("No project is open: the update is not logged.");
    const std::string path = UpdateLogPath(projectFolder);
    // A FIFO or a device as the log gets the line alone; reading it would wait.
    std::string text = RegularFileExists(path) ? ReadFileBytes(path) : std::string();
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += line + "\n";
    WriteFileAtomic(path, text);
}

namespace {
std::string StepsText(const UpdateSteps& s) {
    return std::string(s.firmware ? "FW" : "NO") + (s.readFirmware ? " FR" : " NO") +
           (s.project ? " PW" : " NO") + (s.readProject ? " PR" : " NO");
}

std::string SentText(const UpdateRunRecord& run) {
    if (run.file.empty()) return "no project image";
    if (!run.digest.exists) return run.file + " (cannot be read)";
    return run.file + ", " + std::to_string(run.digest.size) + " bytes, " +
           Crc32Text(run.digest.crc32);
}

std::string Seconds(long long millis) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(millis) / 1000.0);
    return text;
}
} // namespace

std::vector<std::string> UpdateSummary(const UpdateRunRecord& run) {
    return {"Sent: " + SentText(run), "Port: " + run.port, "Time: " + Seconds(run.millis),
            "End: " + run.ending};
}

std::string UpdateLogLine(const UpdateRunRecord& run) {
    return run.when + "; port " + run.port + "; steps " + StepsText(run.steps) + "; sent " +
           SentText(run) + "; " + Seconds(run.millis) + "; " + run.ending;
}
