#include "cli/MapCommand.h"

#include "core/editors/ByteMap.h"
#include "core/model/Project.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

namespace cli {
const char* kMapHelp =
    "Usage: tessaro-cli map PROJECT_FOLDER [--json]\n"
    "\n"
    "Prints which access-map rows use which DeviceNet bytes, per direction: runs\n"
    "of bytes with their rows, marked [overlap] where rows share bytes and\n"
    "[past the end] beyond N Byte IN / N Byte OUT. Registers take two bytes a\n"
    "point; coils and inputs one bit a point, rounded up to whole bytes.\n"
    "Exit status 1 when sdo.xml or pargen.xml cannot be read.\n";

int Map(const Args& args) {
    std::string folder;
    bool json = false;
    if (int rc =
            ParseArgs(args, kMapHelp, "map takes one project folder", folder, {{"--json", &json}});
        rc >= 0)
        return rc;
    if (!FolderFound(folder)) return kFailed;
    const Project project = Project::load(folder);
    for (const LoadReport* r : {&project.params().report, &project.access().report})
        r->requireReadable();
    // The rows the image holds: every stored row of each table.
    const AccessMap map = StoredAccessMap(project.access());
    ByteMaps maps = ComputeByteMaps(map, BoundsOf(project.params()));
    std::cout << (json ? ByteMapJson(maps) : ByteMapText(maps));
    return kOk;
}
} // namespace cli
