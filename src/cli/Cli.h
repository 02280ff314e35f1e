#pragma once
// Shared pieces of the tessaro-cli commands; each command lives in its own file
// and is listed in main.cpp.
#include <iostream>
#include <string>
#include <vector>

namespace cli {
constexpr int kOk = 0, kFailed = 1, kUsage = 2;

using Args = std::vector<std::string>;

inline bool IsHelp(const std::string& a) {
    return a == "-h" || a == "--help";
}

inline int Usage(const char* help, const std::string& problem) {
    std::cerr << "tessaro-cli: " << problem << "\n\n" << help;
    return kUsage;
}
// Commands in files of their own.
extern const char* const kProbeHelp;
int Probe(const Args& args);
} // namespace cli
