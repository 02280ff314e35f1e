// The configuration image builder over an arbitrary pargen.xml and sdo.xml
// (the input holds both, split at "\n--\n"). Every outcome is an image that
// fits the buffer or a TessaroError; the bytes past the image stay untouched.
#include "FuzzScratch.h"
#include "core/device/ConfigImage.h"
#include "core/project/Errors.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const auto parts = FuzzSplit(in, "\n--\n", 2);
    // An empty part stands for a missing file, which the builder treats apart.
    for (int i = 0; i < 2; ++i) {
        const std::string path = FuzzScratchDir() + "/" + (i == 0 ? "pargen.xml" : "sdo.xml");
        if (parts[i].empty())
            std::filesystem::remove(path);
        else
            FuzzPut(i == 0 ? "pargen.xml" : "sdo.xml", parts[i]);
    }
    // A small buffer with a guard byte pattern behind it.
    static std::vector<uint8_t> buf(4096 + 64);
    const size_t capacity = 4096;
    std::memset(buf.data(), 0xA5, buf.size());
    try {
        const int32_t len = bank::Build(FuzzScratchDir(), buf.data(), capacity);
        if (len < int32_t(bank::HeaderSize) || size_t(len) > capacity) abort();
        for (size_t i = capacity; i < buf.size(); ++i)
            if (buf[i] != 0xA5) abort();
        const int32_t first = bank::Get32(buf.data() + bank::OffFirstRecord);
        if (first != int32_t(bank::HeaderSize)) abort();
    } catch (const TessaroError&) {
        for (size_t i = capacity; i < buf.size(); ++i)
            if (buf[i] != 0xA5) abort();
    }
    return 0;
}
