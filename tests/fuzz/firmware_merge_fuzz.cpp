// Any source text merges without crashing; the bank is inserted at most once
// and every output line ends in CR LF.
#include "core/device/FirmwareComposer.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string records =
        BankRecords(BankRanges[0].first, std::string(BankBytes, '\x5A'));
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string_view> lines = SplitLines(text);
    size_t steps = 0;
    const MergedRecords m = MergeRecords(lines, BankRanges[0], records, [&] { ++steps; });
    if (steps > lines.size() + BankRecordCount) std::abort();
    const size_t first = m.text.find(records.substr(0, 80));
    if (first != std::string::npos &&
        m.text.find(records.substr(0, 80), first + 1) != std::string::npos)
        std::abort();
    for (size_t i = 0; i < m.text.size(); ++i) {
        if (m.text[i] == '\n' && (i == 0 || m.text[i - 1] != '\r')) std::abort();
    }
    if (!m.text.empty() && m.text.substr(m.text.size() - 2) != "\r\n") std::abort();
    return 0;
}
