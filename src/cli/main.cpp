// tessaro-cli: the project's checks, image and GSD file without a screen.
#include "cli/CheckCommand.h"
#include "cli/Cli.h"
#include "cli/MapCommand.h"
#include "core/device/BankDump.h"
#include "core/device/ConfigImage.h"
#include "core/device/Crc32.h"
#include "core/device/GsdWriter.h"
#include "core/editors/ProjectCheck.h"
#include "core/model/Check.h"
#include "core/model/Project.h"
#include "core/project/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <iostream>
#include <streambuf>
#include <string>
#include <unistd.h>
#include <vector>

using namespace cli;

namespace {

const char* kMainHelp =
    "Usage: tessaro-cli COMMAND [ARGS]\n"
    "\n"
    "Checks, builds and decodes Tessaro Sm2DNs projects without a screen.\n"
    "\n"
    "Commands:\n"
    "  check PROJECT_FOLDER [--json] [--strict]\n"
    "                                    check every file and the DeviceNet byte layout\n"
    "  build PROJECT_FOLDER [-o FILE] [--force]\n"
    "                                    check, then write the configuration image bank.bin\n"
    "  map PROJECT_FOLDER [--json]       which rows use which DeviceNet bytes\n"
    "  dump FILE_OR_PROJECT [--json]     list the content of a bank.bin\n"
    "  gsd PROJECT_FOLDER OUT.gsd        write the GSD device description\n"
    "  probe PROJECT_FOLDER --port DEV   poll the access map's rows on the serial line\n"
    "  scan --port DEV [--ids 1-247]     find the slaves on the line, their baud and parity\n"
    "  export PROJECT --table T -o FILE  one table as CSV (read, write, diagnosis)\n"
    "  import PROJECT --table T FILE     replace one table from a CSV file\n"
    "  report PROJECT -o FILE.html       the commissioning report\n"
    "  diff A B [--json]                 compare two projects or images (bank.bin)\n"
    "\n"
    "Options:\n"
    "  --workspace DIR   the folder holding PROJECTS/ (also TESSARO_WORKSPACE);\n"
    "                    a bare project name (Plant1) is looked up in DIR/PROJECTS\n"
    "  -o -, OUT.gsd -   write to standard output; import reads FILE - from standard input\n"
    "\n"
    "Run 'tessaro-cli COMMAND --help' for the options of one command.\n"
    "Exit status: 0 success, 1 a check failed or the command could not complete,\n"
    "2 wrong usage.\n";

const char* kBuildHelp =
    "Usage: tessaro-cli build PROJECT_FOLDER [-o FILE] [--force]\n"
    "\n"
    "Checks the project as 'tessaro-cli check' does; when that finds an error it\n"
    "prints the findings, writes nothing and exits 1, unless --force is given.\n"
    "Then packs sdo.xml and pargen.xml into the configuration image, written to\n"
    "PROJECT_FOLDER/bin/bank.bin or to FILE (- for standard output). Exit status 1\n"
    "when the build stops.\n";

const char* kDumpHelp =
    "Usage: tessaro-cli dump FILE_OR_PROJECT [--json]\n"
    "\n"
    "Decodes a bank.bin (or PROJECT/bin/bank.bin) into its header, access records\n"
    "and parameter block. Exit status 1 when the file does not match the layout.\n";

const char* kGsdHelp = "Usage: tessaro-cli gsd PROJECT_FOLDER OUT.gsd\n"
                       "\n"
                       "Writes the GSD device description with modules sized from pargen.xml;\n"
                       "OUT.gsd - writes it to standard output.\n";

int Build(const std::vector<std::string>& args) {
    std::string folder, target;
    bool force = false;
    if (int rc = ParseArgs(args, kBuildHelp, "build needs a project folder", folder,
                           {{"--force", &force}}, {{"-o", &target, "-o needs a file name"}});
        rc >= 0)
        return rc;
    if (!FolderFound(folder)) return kFailed;
    const Project project = Project::load(folder);
    auto findings = CheckProject(project);
    if (HasErrors(findings)) {
        // Errors only: warnings and info do not stop a build and are left to 'check'.
        std::vector<Finding> errors;
        for (const auto& f : findings)
            if (f.severity == Severity::Error) errors.push_back(f);
        PrintFindings(std::cerr, errors, false);
        if (!force) {
            std::cerr << "tessaro-cli: the project has errors; nothing written "
                         "(--force builds anyway)\n";
            return kFailed;
        }
        std::cerr << "tessaro-cli: building despite the errors above (--force)\n";
    }
    const std::vector<uint8_t> image = BuildImage(project);
    const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
    const std::string what = std::to_string(image.size()) + " bytes to ";
    const std::string print = " (" + ImageFingerprint(bytes) + ")";
    if (target.empty()) {
        WriteImage(folder, image);
        std::cout << "Wrote " << what << BankPath(folder) << print << "\n";
        return kOk;
    }
    WriteResult(target, bytes, what + target + print);
    return kOk;
}

int Dump(const std::vector<std::string>& args) {
    std::string path;
    bool json = false;
    if (int rc = ParseArgs(args, kDumpHelp, "dump needs a file or a project folder", path,
                           {{"--json", &json}}, {}, Operand::ProjectOrFile);
        rc >= 0)
        return rc;
    if (DirectoryExists(path)) path = BankPath(path);
    // An image is far smaller; a device or a huge file is not read whole.
    std::string bytes = ReadFileBytes(path, MaxDocumentBytes);
    BankImage img = DecodeBank(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    std::cout << (json ? BankJson(img, path) : BankListing(img, path));
    return kOk;
}

int Gsd(const std::vector<std::string>& args) {
    if (args.size() != 2) return Usage(kGsdHelp, "gsd takes a project folder and a target file");
    if (args[1].empty()) return Usage(kGsdHelp, "gsd needs a non-empty target file");
    // Only the first operand is the project; the target is a path as given.
    const std::string project = LookUpProject(args[0]);
    if (!FolderFound(project)) return kFailed;
    WriteResult(args[1], ProjectGsd(Project::load(project)), args[1]);
    return kOk;
}

int RunCommand(std::vector<std::string> args) {
    if (int rc = TakeWorkspaceOption(args); rc >= 0) return rc;
    if (args.empty()) return Usage(kMainHelp, "no command given");
    const std::string cmd = args[0];
    args.erase(args.begin());
    if (IsHelp(cmd)) {
        std::cout << kMainHelp;
        return kOk;
    }
    struct Command {
        const char* name;
        const char* help;
        int (*run)(const std::vector<std::string>&);
    };
    const Command commands[] = {{"check", kCheckHelp, Check},    {"build", kBuildHelp, Build},
                                {"map", kMapHelp, Map},          {"dump", kDumpHelp, Dump},
                                {"probe", kProbeHelp, Probe},    {"gsd", kGsdHelp, Gsd},
                                {"export", kExportHelp, Export}, {"import", kImportHelp, Import},
                                {"report", kReportHelp, Report}, {"diff", kDiffHelp, Diff},
                                {"scan", kScanHelp, Scan}};
    for (const Command& c : commands) {
        if (cmd != c.name) continue;
        for (const auto& a : args)
            if (IsHelp(a)) {
                std::cout << c.help;
                return kOk;
            }
        try {
            return c.run(args);
        } catch (const std::exception& e) {
            std::cerr << "tessaro-cli: " << e.what() << "\n";
            return kFailed;
        }
    }
    return Usage(kMainHelp, "unknown command '" + cmd + "'");
}

// Standard output through write(2), so that the reason of the first failed
// write is kept until the end (stdio would drop it with the buffer).
class StandardOutput : public std::streambuf {
public:
    StandardOutput() { setp(buf_, buf_ + sizeof buf_); }
    int error() const { return err_; }
    bool failed() const { return failed_; }

protected:
    int_type overflow(int_type c) override {
        if (sync() != 0) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override {
        const char* p = pbase();
        while (p < pptr()) {
            const ssize_t n = ::write(STDOUT_FILENO, p, size_t(pptr() - p));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (!failed_) err_ = n < 0 ? errno : 0;
                failed_ = true;
                break;
            }
            p += n;
        }
        setp(buf_, buf_ + sizeof buf_);
        return failed_ ? -1 : 0;
    }

private:
    char buf_[65536];
    int err_ = 0;
    bool failed_ = false;
};

// Every command's output ends here: a result lost on a full disk or a closed
// pipe must not look like success.
int CheckStandardOutput(int rc, StandardOutput& out) {
    std::cout.flush();
    if (!out.failed() && std::cout) return rc;
    std::cerr << "tessaro-cli: cannot write to standard output"
              << (out.error() ? ": " + SystemErrorText(out.error()) : std::string()) << "\n";
    return kFailed;
}
} // namespace

int main(int argc, char** argv) {
    StandardOutput out;
    std::streambuf* const stdio = std::cout.rdbuf(&out);
    const int rc =
        CheckStandardOutput(RunCommand(std::vector<std::string>(argv + 1, argv + argc)), out);
    std::cout.rdbuf(stdio);
    return rc;
}
