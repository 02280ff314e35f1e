// tessaro-cli report: the commissioning report of a project as one HTML file.
#include "cli/Cli.h"
#include "core/project/FileSystem.h"
#include "core/report/CommissioningReport.h"

#include <ctime>

namespace cli {
const char* const kReportHelp =
    "Usage: tessaro-cli report PROJECT -o FILE.html [--date TEXT]\n"
    "\n"
    "Writes the commissioning report: communication parameters, both access-map\n"
    "tables, the DeviceNet byte map, every finding of the project check and the\n"
    "built bank.bin (size, CRC-32, time). One self-contained HTML file that\n"
    "prints on A4 and Letter. --date replaces today's date; -o - writes to standard\n"
    "output.\n";

int Report(const Args& args) {
    std::string project, out, date;
    if (int rc = ParseArgs(
            args, kReportHelp, "a project folder is needed", project, {},
            {{"-o", &out, "-o needs a value"}, {"--date", &date, "--date needs a value"}});
        rc >= 0)
        return rc;
    if (out.empty()) return Usage(kReportHelp, "-o FILE is needed");
    if (!FolderFound(project)) return kFailed;
    if (date.empty()) {
        char buf[32];
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
        date = buf;
    }
    std::string name = project;
    while (name.size() > 1 && name.back() == PathSep)
        name.pop_back();
    name = name.substr(name.find_last_of(PathSep) + 1);
    WriteResult(out, CommissioningReportHtml(project, name, date), out);
    return kOk;
}
} // namespace cli
