#pragma once
// Shared pieces of the tessaro-cli commands; each command lives in its own file
// and is listed in main.cpp.
#include <initializer_list>
#include <iostream>
#include <string>
#include <string_view>
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

// An argument that is neither a switch nor an option: a folder or a file.
inline bool IsOperand(const std::string& a) {
    return !a.empty() && a[0] != '-';
}

// A switch (--json) sets its flag; an option (-o FILE) takes the next argument.
struct Switch {
    const char* name;
    bool* on;
};
struct Option {
    const char* name;
    std::string* value;
    const char* noValue; // the usage problem when nothing follows
};

// Reads the arguments of a command with one operand: its switches, its options
// and the operand. Anything else, an option without its value or no operand
// (problem noOperand) is wrong usage: then the exit status, else -1.
int ParseArgs(const Args& args, const char* help, const char* noOperand, std::string& operand,
              std::initializer_list<Switch> switches, std::initializer_list<Option> options = {});

// True when the folder exists, else says that it is not a folder.
bool FolderFound(const std::string& folder);

// Writes a command's result to `file` (atomically) and says "Wrote <what>",
// or, for "-", to standard output alone, to be piped on.
void WriteResult(const std::string& file, std::string_view bytes, const std::string& what);
// Standard input, refused when larger than `limit` bytes.
std::string ReadStandardInput(size_t limit);

// Commands in files of their own.
extern const char* const kProbeHelp;
int Probe(const Args& args);
extern const char* const kScanHelp;
int Scan(const Args& args);
} // namespace cli

namespace cli {
// --workspace DIR / --workspace=DIR (anywhere) or TESSARO_WORKSPACE. Removes the
// option from args; returns an exit status when it cannot be used, else -1.
int TakeWorkspaceOption(Args& args, std::string& workspace);
// A bare project name (no separator) as the first argument becomes
// WORKSPACE/PROJECTS/NAME: always with a given workspace, else when NAME is
// nothing here and the default workspace (the program's folder or the
// per-user one) has that project.
void ResolveProjectName(Args& args, const std::string& workspace);
} // namespace cli

namespace cli {
// CSV round trip of the access map and the diagnosis IDs (CsvCommand.cpp).
extern const char* const kExportHelp;
extern const char* const kImportHelp;
int Export(const Args& args);
int Import(const Args& args);
} // namespace cli

namespace cli {
// The commissioning report as HTML (ReportCommand.cpp).
extern const char* const kReportHelp;
int Report(const Args& args);
} // namespace cli
