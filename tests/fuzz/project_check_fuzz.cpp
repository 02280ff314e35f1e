// The project check over an arbitrary pargen.xml, sdo.xml and diagnosis.xml
// (the input holds all three, split at "\n--\n"; an empty part is a missing
// file), on the project model. Every outcome is a list of findings, each
// placed in a known file, one line of valid UTF-8 with a message; the byte
// map of the stored rows stays within its bounds.
#include "FuzzScratch.h"
#include "core/editors/ByteMap.h"
#include "core/model/Check.h"
#include "core/project/Errors.h"
#include "core/project/Text.h"

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
    const std::vector<Finding> findings = CheckProject(project);
    for (const Finding& f : findings) {
        if (f.message.empty() || f.row < 0) std::abort();
        if (f.file != names[0] && f.file != names[1] && f.file != names[2]) std::abort();
        // Whatever the texts hold, a finding is one line of valid UTF-8.
        const std::string line = FindingLine(f);
        if (line.find_first_of("\r\n") != std::string::npos || !IsValidUtf8(line)) std::abort();
    }
    if (!IsValidUtf8(FindingsJson(findings))) std::abort();
    const AccessMap map = StoredAccessMap(project.access());
    ByteMaps maps = ComputeByteMaps(map, BoundsOf(project.params()));
    for (const ByteMap* m : {&maps.read, &maps.write}) {
        // Longest row: 127 registers from the last byte of the largest area.
        if (m->areaBytes < 0 || m->areaBytes > 455 || m->users.size() > 455 + 254) std::abort();
        for (const auto& users : m->users)
            for (int row : users)
                if (!m->find(row)) std::abort();
    }
    const std::string text = ByteMapText(maps);
    if (!IsValidUtf8(text) || !IsValidUtf8(ByteMapJson(maps))) std::abort();
    if (text.find('\r') != std::string::npos) std::abort();
    return 0;
}
