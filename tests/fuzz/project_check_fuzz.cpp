// The project check over an arbitrary pargen.xml, sdo.xml and diagnosis.xml
// (the input holds all three, split at "\n--\n"; an empty part is a missing
// file), on the project model. Every outcome is a list of findings, each
// placed in a known file, with a message; the byte map of the stored rows
// stays within its bounds.
#include "FuzzScratch.h"
#include "core/editors/ByteMap.h"
#include "core/model/Check.h"
#include "core/project/Errors.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const auto parts = FuzzSplit(in, "\n--\n", 3);
    auto part = [&](int i) {
        return parts[size_t(i)].empty() ? std::nullopt
                                        : std::optional<std::string>(parts[size_t(i)]);
    };
    const Project project = Project::fromTexts(part(0), part(1), part(2));
    const char* names[] = {"pargen.xml", "sdo.xml", "diagnosis.xml"};
    for (const Finding& f : CheckProject(project)) {
        if (f.message.empty() || f.row < 0) std::abort();
        if (f.file != names[0] && f.file != names[1] && f.file != names[2]) std::abort();
    }
    const AccessMap map = StoredAccessMap(project.access());
    ByteMaps maps = ComputeByteMaps(map, BoundsOf(project.params()));
    for (const ByteMap* m : {&maps.read, &maps.write}) {
        // Longest row: 127 registers from the last byte of the largest area.
        if (m->areaBytes < 0 || m->areaBytes > 455 || m->users.size() > 455 + 254) std::abort();
        for (const auto& users : m->users)
            for (int row : users)
                if (!m->find(row)) std::abort();
    }
    (void)ByteMapText(maps);
    return 0;
}
