// Argument reading shared by the tessaro-cli commands.
#include "cli/Cli.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

#include <algorithm>

namespace cli {
int TakeValue(const Args& args, size_t& i, const char* help, const std::string& noValue,
              std::string& value) {
    const std::string& name = args[i];
    if (!value.empty()) return Usage(help, name + " may be given only once");
    if (i + 1 >= args.size()) return Usage(help, noValue);
    if (args[++i].empty()) return Usage(help, name + " needs a non-empty value");
    value = args[i];
    return -1;
}

int ParseArgs(const Args& args, const char* help, const char* noOperand, std::string& operand,
              std::initializer_list<Switch> switches, std::initializer_list<Option> options,
              Operand kind) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto isNamed = [&](const auto& s) { return a == s.name; };
        if (auto s = std::find_if(switches.begin(), switches.end(), isNamed); s != switches.end()) {
            *s->on = true;
        } else if (auto o = std::find_if(options.begin(), options.end(), isNamed);
                   o != options.end()) {
            if (int rc = TakeValue(args, i, help, o->noValue, *o->value); rc >= 0) return rc;
        } else if (operand.empty() && IsOperand(a)) {
            operand = a;
        } else {
            return Usage(help, "unexpected argument '" + a + "'");
        }
    }
    if (operand.empty()) return Usage(help, noOperand);
    operand = LookUpProject(operand, kind == Operand::ProjectOrFile);
    return -1;
}

bool FolderFound(const std::string& folder) {
    if (DirectoryExists(folder)) return true;
    std::cerr << "tessaro-cli: '" << folder << "' is not a folder\n";
    return false;
}

void WriteResult(const std::string& file, std::string_view bytes, const std::string& what) {
    if (file == "-") {
        // A failed write is reported by main(), as for every command.
        std::cout.write(bytes.data(), std::streamsize(bytes.size()));
        return;
    }
    WriteFileAtomic(file, bytes);
    std::cout << "Wrote " << what << "\n";
}

std::string ReadStandardInput(size_t limit) {
    std::string text;
    char buf[65536];
    while (std::cin.read(buf, sizeof buf) || std::cin.gcount() > 0) {
        text.append(buf, size_t(std::cin.gcount()));
        if (text.size() > limit)
            throw TessaroError("Standard input is larger than " + std::to_string(limit) + " bytes");
    }
    return text;
}
} // namespace cli
