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

// What a command's single operand names; a bare name of either kind is
// looked up in the workspace (LookUpProject).
enum class Operand { Project, ProjectOrFile };

// Reads the arguments of a command with one operand: its switches, its options
// and the operand. Anything else, an option without its value, with an empty
// value or given twice, or no operand (problem noOperand) is wrong usage: then
// the exit status, else -1. The operand comes back looked up.
int ParseArgs(const Args& args, const char* help, const char* noOperand, std::string& operand,
              std::initializer_list<Switch> switches, std::initializer_list<Option> options = {},
              Operand kind = Operand::Project);

// The value of the option args[i] into `value` (empty until then), i moved on
// to it. Wrong usage when nothing follows (problem noValue), the value is
// empty or the option was given before: then the exit status, else -1.
int TakeValue(const Args& args, size_t& i, const char* help, const std::string& noValue,
              std::string& value);

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
// --workspace DIR / --workspace=DIR (anywhere, once) or TESSARO_WORKSPACE.
// Removes the option from args and keeps the workspace for LookUpProject;
// returns an exit status when it cannot be used, else -1.
int TakeWorkspaceOption(Args& args);
// A command's PROJECT operand when it is a bare name (no separator, not "."
// or ".."): WORKSPACE/PROJECTS/NAME, always with a given workspace, else when
// NAME is nothing here and the default workspace (the program's folder or
// the per-user one) has that project. With mayBeFile (dump) a bare name that
// is a file here and no project of the given workspace stays the file.
// Anything else is returned as it is, relative to the current folder.
std::string LookUpProject(const std::string& operand, bool mayBeFile = false);
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

namespace cli {
// Two images or projects compared (DiffCommand.cpp); both operands may be
// workspace names.
extern const char* const kDiffHelp;
int Diff(const Args& args);
} // namespace cli
