// The image side of a comparison over two arbitrary images (the input holds
// both, split at "\n--\n"). Each side decodes or is refused with a
// TessaroError; two sides that decode compare identical exactly when their
// bytes are equal, and every rendering of the result holds one line a
// difference.
#include "FuzzScratch.h"
#include "core/device/ImageDiff.h"
#include "core/project/Errors.h"

#include <cstdlib>
#include <optional>

namespace {
std::optional<DiffSide> Side(std::string_view bytes) {
    try {
        return ImageDiffSide("x.bin", std::vector<uint8_t>(bytes.begin(), bytes.end()));
    } catch (const TessaroError& e) {
        if (!*e.what()) abort(); // a refusal names its reason
        return std::nullopt;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const auto parts = FuzzSplit(in, "\n--\n", 2);
    const auto a = Side(parts[0]);
    const auto b = Side(parts[1]);
    if (!a || !b) return 0;
    const ImageComparison c = CompareSides(*a, *b);
    if (c.identical() != (a->bytes == b->bytes)) abort();
    if (c.identical() != (CompareSides(*b, *a).identical())) abort();
    const std::string text = ComparisonText(c);
    size_t lines = 0;
    for (char ch : text)
        lines += ch == '\n';
    if (lines != c.differences.size() + 1) abort();
    (void)ComparisonJson(c);
    (void)ComparisonCsv(c);
    return 0;
}
