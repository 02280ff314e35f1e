// tessaro-cli diff: whether two images, or the images two projects would
// build, are the same, and where they differ.
#include "cli/CheckCommand.h"
#include "cli/Cli.h"
#include "core/device/ImageDiff.h"
#include "core/project/FileSystem.h"

namespace cli {
const char* const kDiffHelp =
    "Usage: tessaro-cli diff A B [--json] [--force]\n"
    "\n"
    "Compares two configuration images. A and B are each a project (folder or\n"
    "workspace name), standing for the image it would build, or an image file\n"
    "such as bank.bin. Prints one line a difference (parameters, then the read\n"
    "table, then the write table; rows counted from 1 as the grid does), then\n"
    "'N differences' or 'identical (CRC-32 ...)'. Numbers compare by value.\n"
    "Mnemonics, and Ser_Type and Ser_Prot as stored, are compared only between\n"
    "two projects; otherwise the image codes are compared.\n"
    "A project whose check finds errors is not compared unless --force is given.\n"
    "--json gives {\"identical\", \"crc32\": {\"a\", \"b\"}, \"differences\": [...]}.\n"
    "Exit status: 0 identical, 1 different, 2 wrong usage or a side that cannot\n"
    "be read.\n";

int Diff(const Args& args) {
    std::vector<std::string> sides;
    bool json = false, force = false;
    for (const std::string& a : args) {
        if (a == "--json")
            json = true;
        else if (a == "--force")
            force = true;
        else if (IsOperand(a) && sides.size() < 2)
            sides.push_back(a);
        else
            return Usage(kDiffHelp, "unexpected argument '" + a + "'");
    }
    if (sides.size() != 2) return Usage(kDiffHelp, "diff takes two projects or image files");

    DiffSide loaded[2];
    for (int i = 0; i < 2; ++i) {
        // Either operand may be a project of the workspace; an image file
        // named here stays a file.
        const std::string path = LookUpProject(sides[size_t(i)], true);
        try {
            loaded[i] = LoadDiffSide(path, force);
        } catch (const std::exception& e) {
            std::cerr << "tessaro-cli: " << (i ? "B" : "A") << " (" << path
                      << ") cannot be read: " << e.what() << "\n";
            return kUsage;
        }
        if (loaded[i].errors.empty()) continue;
        PrintFindings(std::cerr, loaded[i].errors, false);
        if (loaded[i].stopped) {
            std::cerr << "tessaro-cli: " << (i ? "B" : "A") << " (" << path
                      << ") has errors; nothing compared (--force compares the image it would "
                         "build anyway)\n";
            return kUsage;
        }
        std::cerr << "tessaro-cli: comparing the image " << (i ? "B" : "A")
                  << " would build despite the errors above (--force)\n";
    }
    ImageComparison c;
    try {
        c = CompareSides(loaded[0], loaded[1]);
    } catch (const std::exception& e) {
        std::cerr << "tessaro-cli: " << e.what() << "\n";
        return kUsage;
    }
    std::cout << (json ? ComparisonJson(c) : ComparisonText(c));
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tessaro-cli: cannot write to standard output\n";
        return kUsage;
    }
    return c.identical() ? kOk : kFailed;
}
} // namespace cli
