// tessaro-cli: the project's checks, image and GSD file without a screen.
#include "cli/Cli.h"
#include "core/device/BankDump.h"
#include "core/device/ConfigImage.h"
#include "core/device/GsdWriter.h"
#include "core/editors/ProjectCheck.h"
#include "core/project/FileSystem.h"
#include "core/project/XmlDoc.h"

#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

using namespace cli;

namespace {

const char* kMainHelp =
    "Usage: tessaro-cli COMMAND [ARGS]\n"
    "\n"
    "Checks, builds and decodes Tessaro Sm2DNs projects without a screen.\n"
    "\n"
    "Commands:\n"
    "  check PROJECT_FOLDER              run the checks of the editors' OK buttons\n"
    "  build PROJECT_FOLDER [-o FILE]    write the configuration image bank.bin\n"
    "  dump FILE_OR_PROJECT [--json]     list the content of a bank.bin\n"
    "  gsd PROJECT_FOLDER OUT.gsd        write the GSD device description\n"
    "  export PROJECT --table T -o FILE  one table as CSV (read, write, diagnosis)\n"
    "  import PROJECT --table T FILE     replace one table from a CSV file\n"
    "\n"
    "Options:\n"
    "  --workspace DIR   the folder holding PROJECTS/ (also TESSARO_WORKSPACE);\n"
    "                    a bare project name (Plant1) is looked up in DIR/PROJECTS\n"
    "\n"
    "Run 'tessaro-cli COMMAND --help' for the options of one command.\n"
    "Exit status: 0 success, 1 a check failed or the command could not complete,\n"
    "2 wrong usage.\n";

const char* kCheckHelp =
    "Usage: tessaro-cli check PROJECT_FOLDER\n"
    "\n"
    "Checks pargen.xml, sdo.xml and diagnosis.xml as the OK buttons of\n"
    "\"SET COMMUNICATION\", \"Set Access\" and \"Error/Diagnosis\" do, using the\n"
    "defaults of a missing file. Prints every failure as FILE: MESSAGE, then a\n"
    "summary. Exit status 1 when anything fails.\n";

const char* kBuildHelp =
    "Usage: tessaro-cli build PROJECT_FOLDER [-o FILE]\n"
    "\n"
    "Packs sdo.xml and pargen.xml into the configuration image, written to\n"
    "PROJECT_FOLDER/bin/bank.bin or to FILE. Exit status 1 when the build stops.\n";

const char* kDumpHelp =
    "Usage: tessaro-cli dump FILE_OR_PROJECT [--json]\n"
    "\n"
    "Decodes a bank.bin (or PROJECT/bin/bank.bin) into its header, access records\n"
    "and parameter block. Exit status 1 when the file does not match the layout.\n";

const char* kGsdHelp = "Usage: tessaro-cli gsd PROJECT_FOLDER OUT.gsd\n"
                       "\n"
                       "Writes the GSD device description with modules sized from pargen.xml.\n";

int Check(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage(kCheckHelp, "check takes one project folder");
    const std::string& folder = args[0];
    if (!DirectoryExists(folder)) {
        std::cerr << "tessaro-cli: '" << folder << "' is not a folder\n";
        return kFailed;
    }
    auto findings = CheckProject(folder);
    for (const auto& f : findings)
        std::cout << f.file << ": " << f.message << "\n";
    if (findings.empty())
        std::cout << "All checks passed (pargen.xml, sdo.xml, diagnosis.xml)\n";
    else
        std::cout << findings.size() << (findings.size() == 1 ? " failure\n" : " failures\n");
    return findings.empty() ? kOk : kFailed;
}

int Build(const std::vector<std::string>& args) {
    std::string folder, target;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 >= args.size()) return Usage(kBuildHelp, "-o needs a file name");
            target = args[++i];
        } else if (folder.empty() && !args[i].empty() && args[i][0] != '-') {
            folder = args[i];
        } else {
            return Usage(kBuildHelp, "unexpected argument '" + args[i] + "'");
        }
    }
    if (folder.empty()) return Usage(kBuildHelp, "build needs a project folder");
    if (!DirectoryExists(folder)) {
        std::cerr << "tessaro-cli: '" << folder << "' is not a folder\n";
        return kFailed;
    }
    BuildBank(folder);
    if (target.empty()) {
        WriteBank(folder);
        target = BankPath(folder);
    } else {
        WriteFileAtomic(target, std::string_view(reinterpret_cast<const char*>(BankBuf),
                                                 static_cast<size_t>(BankLen)));
    }
    std::cout << "Wrote " << BankLen << " bytes to " << target << "\n";
    return kOk;
}

int Dump(const std::vector<std::string>& args) {
    std::string path;
    bool json = false;
    for (const auto& a : args) {
        if (a == "--json")
            json = true;
        else if (path.empty() && !a.empty() && a[0] != '-')
            path = a;
        else
            return Usage(kDumpHelp, "unexpected argument '" + a + "'");
    }
    if (path.empty()) return Usage(kDumpHelp, "dump needs a file or a project folder");
    if (DirectoryExists(path)) path = BankPath(path);
    std::string bytes = ReadFileBytes(path);
    BankImage img = DecodeBank(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    std::cout << (json ? BankJson(img, path) : BankListing(img, path));
    return kOk;
}

int Gsd(const std::vector<std::string>& args) {
    if (args.size() != 2) return Usage(kGsdHelp, "gsd takes a project folder and a target file");
    if (!DirectoryExists(args[0])) {
        std::cerr << "tessaro-cli: '" << args[0] << "' is not a folder\n";
        return kFailed;
    }
    XmlDocument doc;
    WriteGsd(args[1], args[0], doc);
    std::cout << "Wrote " << args[1] << "\n";
    return kOk;
}
} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string workspace;
    if (int rc = TakeWorkspaceOption(args, workspace); rc >= 0) return rc;
    if (args.empty()) return Usage(kMainHelp, "no command given");
    const std::string cmd = args[0];
    args.erase(args.begin());
    ResolveProjectName(args, workspace);
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
                                {"dump", kDumpHelp, Dump},       {"gsd", kGsdHelp, Gsd},
                                {"export", kExportHelp, Export}, {"import", kImportHelp, Import}};
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
