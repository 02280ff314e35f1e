#include "core/family/WorkbookStream.h"

#include "TempDir.h"
#include "XlsWriter.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace {
// Builds streams by hand, in the helper's encoding.
struct Stream {
    std::string s;
    Stream& tag(char t) {
        s += t;
        return *this;
    }
    Stream& u32(uint32_t v) {
        char b[4];
        std::memcpy(b, &v, 4);
        s.append(b, 4);
        return *this;
    }
    Stream& text(std::string_view t) {
        u32(uint32_t(t.size()));
        s.append(t);
        return *this;
    }
    Stream& sheet(std::string_view name, uint32_t rows, uint32_t cols) {
        return tag('S').text(name).u32(rows).u32(cols);
    }
    Stream& cell(uint32_t r, uint32_t c, std::string_view t) {
        return tag('C').u32(r).u32(c).text(t);
    }
    Stream& end(uint32_t count) { return tag('E').u32(count); }
};

// Two worksheets: "A" 3 x 2 with an unreadable cell and an empty row, and
// "B" that FreeXL could not select.
std::string Valid() {
    return Stream()
        .sheet("A", 3, 2)
        .cell(0, 0, "title")
        .tag('X')
        .u32(0)
        .u32(1)
        .cell(2, 1, "last")
        .tag('U')
        .text("B")
        .end(2)
        .s;
}
} // namespace

TEST(WorkbookStream, HandBuiltStreamParses) {
    const std::string stream = Valid();
    auto sheets = ParseWorkbookStream(stream);
    ASSERT_TRUE(sheets);
    ASSERT_EQ(sheets->size(), 2u);
    const WorksheetCells& a = (*sheets)[0];
    EXPECT_EQ(a.name, "A");
    EXPECT_TRUE(a.readable);
    EXPECT_EQ(a.rows, 3u);
    EXPECT_EQ(a.cols, 2u);
    ASSERT_NE(a.find(0, 0), nullptr);
    EXPECT_EQ(a.text.substr(a.find(0, 0)->offset, a.find(0, 0)->length), "title");
    ASSERT_NE(a.find(0, 1), nullptr);
    EXPECT_FALSE(a.find(0, 1)->readable);
    EXPECT_EQ(a.find(1, 0), nullptr) << "row 1 holds no cell";
    EXPECT_EQ(a.find(1, 1), nullptr);
    ASSERT_NE(a.find(2, 1), nullptr);
    EXPECT_EQ(a.text.substr(a.find(2, 1)->offset, a.find(2, 1)->length), "last");
    EXPECT_EQ(a.find(2, 0), nullptr);
    EXPECT_EQ(a.find(3, 0), nullptr) << "beyond the last row";
    EXPECT_FALSE((*sheets)[1].readable);
    EXPECT_EQ((*sheets)[1].name, "B");
}

TEST(WorkbookStream, EveryCutIsRefused) {
    const std::string s = Valid();
    for (size_t n = 0; n < s.size(); ++n)
        EXPECT_FALSE(ParseWorkbookStream(std::string_view(s).substr(0, n))) << n << " bytes";
}

TEST(WorkbookStream, StreamsThatDoNotHoldTogetherAreRefused) {
    const struct {
        const char* what;
        std::string stream;
    } cases[] = {
        {"bytes after the end", Valid() + "E"},
        {"wrong worksheet count", Stream().sheet("A", 1, 1).end(2).s},
        {"unknown tag", Stream().sheet("A", 1, 1).tag('Q').end(1).s},
        {"cell before any worksheet", Stream().cell(0, 0, "x").sheet("A", 1, 1).end(1).s},
        {"cell below the last row", Stream().sheet("A", 2, 2).cell(2, 0, "x").end(1).s},
        {"cell right of the last column", Stream().sheet("A", 2, 2).cell(0, 2, "x").end(1).s},
        {"cell twice", Stream().sheet("A", 2, 2).cell(0, 1, "x").cell(0, 1, "y").end(1).s},
        {"cells out of order", Stream().sheet("A", 2, 2).cell(1, 0, "x").cell(0, 1, "y").end(1).s},
        {"cell in a worksheet FreeXL could not select",
         Stream().tag('U').text("A").cell(0, 0, "x").end(1).s},
        {"too many rows", Stream().sheet("A", MaxRows + 1, 1).end(1).s},
        {"too many columns", Stream().sheet("A", 1, 0x10000).end(1).s},
        {"text longer than the stream",
         Stream().sheet("A", 1, 1).tag('C').u32(0).u32(0).u32(1000).s + "abc"},
        {"no end", Stream().sheet("A", 1, 1).cell(0, 0, "x").s},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(ParseWorkbookStream(c.stream)) << c.what;
}

// What FreeXL reads of a real workbook survives the trip.
TEST(WorkbookStream, RealWorkbookRoundTrip) {
    TempDir dir;
    const std::string path = dir / "b.xls";
    xls::WriteWorkbook(
        path, {{"One", {{"n", "text"}, {1.0, "a"}, {2.5, xls::Blank{}}}}, {"Two", {{"x"}}}});
    std::string s;
    ASSERT_TRUE(StreamWorkbook(path.c_str(), s));
    auto sheets = ParseWorkbookStream(s);
    ASSERT_TRUE(sheets);
    ASSERT_EQ(sheets->size(), 2u);
    const WorksheetCells& one = (*sheets)[0];
    EXPECT_EQ(one.name, "One");
    EXPECT_EQ(one.rows, 3u);
    EXPECT_EQ(one.cols, 2u);
    auto text = [&](unsigned r, unsigned short c) {
        const WorksheetCells::Cell* cell = one.find(r, c);
        return cell ? std::string(one.text.substr(cell->offset, cell->length)) : "<null>";
    };
    EXPECT_EQ(text(1, 0), "1");
    EXPECT_EQ(text(1, 1), "a");
    EXPECT_EQ(text(2, 0), "2.5");
    EXPECT_EQ(text(2, 1), "<null>");

    std::string none;
    EXPECT_FALSE(StreamWorkbook((dir / "missing.xls").c_str(), none));
}
