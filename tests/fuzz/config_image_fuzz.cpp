// The configuration image over an arbitrary pargen.xml and sdo.xml (the input
// holds both, split at "\n--\n"; an empty part is a missing file), built from
// the project model. The check and the image agree: a project the check finds
// no error in builds, and its image holds exactly what the files say.
#include "../support/ImageModel.h"
#include "core/device/ConfigImage.h"
#include "core/editors/ProjectCheck.h"
#include "core/model/Check.h"
#include "core/project/Errors.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const size_t mark = in.find("\n--\n");
    const std::string_view pargen = in.substr(0, mark);
    const std::string_view sdo = mark == std::string_view::npos ? "" : in.substr(mark + 4);
    auto part = [](std::string_view s) {
        return s.empty() ? std::nullopt : std::optional<std::string>(s);
    };
    const Project project = Project::fromTexts(part(pargen), part(sdo), std::nullopt);
    const bool errors = HasErrors(CheckProject(project));
    try {
        const std::vector<uint8_t> image = BuildImage(project);
        if (image.size() < bank::HeaderSize || image.size() > bank::Capacity) std::abort();
        if (bank::Get32(image.data() + bank::OffFirstRecord) != int32_t(bank::HeaderSize))
            std::abort();
        if (!errors) {
            const std::string mismatch = ImageMismatch(project, image);
            if (!mismatch.empty()) {
                std::fprintf(stderr, "check passed, image differs: %s\n", mismatch.c_str());
                std::abort();
            }
        }
    } catch (const TessaroError&) {
        if (!errors) std::abort(); // the check let through what the image cannot take
    }
    return 0;
}
