#include "core/project/Errors.h"
#include "core/project/ParseInteger.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// The strict and the defaulted forms must agree, and an accepted text must
// come back from its own decimal rendering.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    auto v = TryParseInteger(text);
    bool threw = false;
    try {
        int32_t s = ParseInteger(text);
        if (!v || s != *v) std::abort();
    } catch (const EConvertError&) {
        threw = true;
    }
    if (threw == v.has_value()) std::abort();
    if (v && TryParseInteger(std::to_string(*v)) != v) std::abort();
    return 0;
}
