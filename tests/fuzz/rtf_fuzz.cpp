// Any byte string: the help text's RTF reader renders it or throws TessaroError.
#include "core/project/Errors.h"
#include "core/tools/HelpText.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        ParseRtf(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const TessaroError&) {
    }
    return 0;
}
