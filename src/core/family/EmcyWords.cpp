#include "core/family/EmcyWords.h"

#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"

#include <stdexcept>
#include <tuple>

namespace {
const char* const kDegree = "n\xc2\xb0"; // "n°"

std::vector<std::string> RowValues(const TClWEmcy& w, int side) {
    std::vector<std::string> v{w.index_addrm, w.subindex, side ? "1" : "0", w.devid};
    for (const ClEbm& b : w.Bits) {
        v.push_back(b.b0);
        v.push_back(b.b1);
        v.push_back(b.poscomp);
    }
    return v;
}

XmlDocument BuildDocument(const WordLists& lists) {
    XmlDocument doc;
    XmlNode root = doc.createRoot(WordTableName);
    const std::vector<std::string>& names = WordFieldNames();
    for (int side = 0; side < 2; ++side) {
        const std::vector<TClWEmcy>& list = lists.side(side);
        for (size_t i : WordSaveOrder(list)) {
            XmlNode row = root.append("row");
            const std::vector<std::string> values = RowValues(list[i], side);
            for (size_t f = 0; f < names.size(); ++f)
                row.setAttr(names[f], values[f]);
        }
    }
    return doc;
}
} // namespace

const std::vector<std::string>& WordFieldNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n{"index_addrm", "subindex", "extdata", "devid"};
        for (int b = 0; b < WordBits; ++b) {
            const std::string p = "bit" + std::to_string(b);
            n.push_back(p + "_b0");
            n.push_back(p + "_b1");
            n.push_back(p + "_poscomp");
        }
        return n;
    }();
    return names;
}

std::string PackWordPoscomp(int32_t first, int32_t second) {
    // Unsigned arithmetic: any pair of 32-bit values keeps its low bits.
    const uint32_t v = static_cast<uint32_t>(first) * 16u + static_cast<uint32_t>(second);
    return std::to_string(v & 0xFFFFu);
}

std::pair<int32_t, int32_t> UnpackWordPoscomp(int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value) & 0xFFFFu;
    return {static_cast<int32_t>(v / 16), static_cast<int32_t>(v % 16)};
}

WordNodePos NodeAtPosition(int position) {
    return {position / NodesPerWord, position % NodesPerWord - 1};
}

int NodePosition(int word, int bit) {
    return word * NodesPerWord + 1 + bit;
}

std::string NextWordLabel(const std::vector<std::string>& wordNodeTexts) {
    std::string label = "0";
    for (const std::string& t : wordNodeTexts)
        label = std::to_string(static_cast<int64_t>(ParseInteger(t.substr(t.empty() ? 0 : 1))) + 1);
    return label;
}

std::string WordGroupCaption(int word) {
    return std::string("Word ") + kDegree + std::to_string(word) + " Emcy Define ";
}

std::string BitGroupCaption(int bit) {
    return std::string("Mask BIT ") + kDegree + (bit < 0 ? " " : std::to_string(bit)) + " Define";
}

std::string BitGroupCaptionAt(int position) {
    const int bit = NodeAtPosition(position).bit;
    return std::string("Mask BIT ") + kDegree + std::to_string(bit < 0 ? position : bit) +
           " Define";
}

bool WordTextsAccepted(const std::vector<TClWEmcy>& list, const std::string& index_addrm,
                       const std::string& subindex, const std::string& devid, int ownPosition) {
    if (index_addrm.empty() || subindex.empty() || devid.empty()) return false;
    for (size_t i = 0; i < list.size(); ++i) {
        if (static_cast<int>(i) == ownPosition) continue;
        const TClWEmcy& w = list[i];
        if (w.index_addrm == index_addrm && w.subindex == subindex && w.devid == devid)
            return false;
    }
    return true;
}

std::vector<size_t> WordSaveOrder(const std::vector<TClWEmcy>& list) {
    using Key = std::tuple<int32_t, int32_t, int32_t>;
    std::vector<Key> keys;
    keys.reserve(list.size());
    for (const TClWEmcy& w : list) {
        const int32_t dev = ParseInteger(w.devid);
        const int32_t index = ParseInteger(w.index_addrm);
        keys.emplace_back(dev, index, ParseInteger(w.subindex));
    }
    return SaveOrder(keys);
}

WordLoadEnd LoadWordFile(const std::string& path, WordLists& into) {
    into = WordLists{};
    return LoadRows(path, [&](const XmlNode& row) {
        TClWEmcy w;
        w.index_addrm = row.attr("index_addrm");
        w.subindex = row.attr("subindex");
        w.devid = row.attr("devid");
        for (int b = 0; b < WordBits; ++b) {
            const std::string p = "bit" + std::to_string(b);
            w.Bits[b].b0 = row.attr(p + "_b0");
            w.Bits[b].b1 = row.attr(p + "_b1");
            w.Bits[b].poscomp = row.attr(p + "_poscomp");
        }
        const int32_t side = ParseInteger(row.attr("extdata"));
        if (side == 0 || side == 1) into.side(side).push_back(std::move(w));
    });
}

std::string WordDocumentText(const WordLists& lists) {
    return BuildDocument(lists).toString();
}

void SaveWordFile(const std::string& path, const WordLists& lists) {
    BuildDocument(lists).save(path);
}

std::vector<std::vector<std::string>> WordCsvLines(const WordLists& lists) {
    std::vector<std::vector<std::string>> lines;
    for (int side = 0; side < 2; ++side)
        for (const TClWEmcy& w : lists.side(side))
            lines.push_back(RowValues(w, side));
    return lines;
}

TClWEmcy WordFromRecord(const std::vector<std::string>& fields) {
    if (fields.size() < static_cast<size_t>(WordFieldCount))
        throw std::invalid_argument("short EMCY word record");
    TClWEmcy w;
    w.index_addrm = fields[0];
    w.subindex = fields[1];
    w.devid = fields[3];
    for (int b = 0; b < WordBits; ++b) {
        w.Bits[b].b0 = fields[static_cast<size_t>(4 + 3 * b)];
        w.Bits[b].b1 = fields[static_cast<size_t>(5 + 3 * b)];
        w.Bits[b].poscomp = fields[static_cast<size_t>(6 + 3 * b)];
    }
    return w;
}

void ImportWordRecord(WordLists& into, int32_t marker, const std::vector<std::string>& fields) {
    if (marker == 0 || marker == 1) into.side(marker).push_back(WordFromRecord(fields));
}
