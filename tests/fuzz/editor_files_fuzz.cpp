// Feeds arbitrary bytes to the loaders of pargen.xml, sdo.xml and
// diagnosis.xml; whatever loads must survive a save and load unchanged.
#include "core/editors/AccessMap.h"
#include "core/editors/CommParams.h"
#include "core/editors/DiagnosisIds.h"
#include "core/project/Errors.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {
std::string Scratch(const char* name) {
    static const std::string dir = [] {
        auto d =
            std::filesystem::temp_directory_path() / ("tessaro-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d.string();
    }();
    return dir + "/" + name;
}

void Put(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Texts the XML layer does not keep as they are: element text of blanks only
// reads back empty, a carriage return reads back as a line feed.
bool Unkept(const std::string& s) {
    return s.find('\r') != std::string::npos ||
           (!s.empty() && s.find_first_not_of(" \t\n") == std::string::npos);
}

std::vector<AccessRow> Run(const std::vector<AccessRow>& rows) {
    return {rows.begin(), rows.begin() + static_cast<long>(RunLength(rows))};
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in = Scratch("in.xml"), out = Scratch("out.xml");
    Put(in, data, size);

    AccessMap map;
    try {
        LoadAccessMap(in, map);
        (void)AccessMapFailures(map, ReadAccessBounds(in));
        SaveAccessMap(map, out);
        AccessMap back;
        LoadAccessMap(out, back);
        if (back.In != Run(map.In) || back.Out != Run(map.Out)) std::abort();
    } catch (const TessaroError&) {
    }

    CommParams p;
    try {
        LoadCommParams(in, p);
        (void)CommParamsFailures(p);
        SaveCommParams(p, out);
        CommParams back;
        LoadCommParams(out, back);
        bool kept = true;
        for (const std::string* t : {&p.SerTO, &p.SerCD, &p.DnId, &p.DnNbIn, &p.DnNbOut,
                                     &p.DnNumContErr, &p.DnValCancData})
            kept = kept && !Unkept(*t);
        if (kept && CommParamsXml(back) != CommParamsXml(p)) std::abort();
    } catch (const TessaroError&) {
    }

    std::vector<std::string> ids;
    try {
        LoadDiagnosisIds(in, ids);
        if (DiagnosisFailures(ids).empty()) {
            SaveDiagnosisIds(ids, out);
            std::vector<std::string> back;
            LoadDiagnosisIds(out, back);
            ids.resize(DiagnosisRunLength(ids));
            if (back != ids) std::abort();
        }
    } catch (const TessaroError&) {
    }
    return 0;
}
