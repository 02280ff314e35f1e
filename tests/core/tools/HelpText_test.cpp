#include "TempDir.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/tools/HelpText.h"

#include <gtest/gtest.h>

namespace {

std::string Plain(const std::vector<HelpParagraph>& ps) {
    std::string out;
    for (const auto& p : ps) {
        for (const auto& r : p.runs)
            out += r.text;
        out += "|";
    }
    return out;
}

struct RtfCase {
    const char* rtf;
    const char* text; // paragraphs joined, each followed by '|'
};

class RtfText : public ::testing::TestWithParam<RtfCase> {};

TEST_P(RtfText, Renders) {
    EXPECT_EQ(Plain(ParseRtf(GetParam().rtf)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfText,
    ::testing::Values(
        RtfCase{"{\\rtf1 Hello\\par World}", "Hello|World|"},
        RtfCase{"{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
                "\\f0\\fs20 Text\\par}",
                "Text|"},
        RtfCase{"{\\rtf1{\\*\\generator Writer;}{\\info{\\title T}}A\\par}", "A|"},
        RtfCase{"{\\rtf1 \\{braces\\} and \\\\ slash\\par}", "{braces} and \\ slash|"},
        RtfCase{"{\\rtf1 caf\\'e9 \\'80\\par}", "caf\xC3\xA9 \xE2\x82\xAC|"},
        RtfCase{"{\\rtf1\\uc1 x\\u8364?y\\u-10179?\\u-8704?\\par}",
                "x\xE2\x82\xACy\xEF\xBF\xBD\xEF\xBF\xBD|"},
        RtfCase{"{\\rtf1 a\\tab b\\line c\\~d\\-e\\par}", "a\tb\nc\xC2\xA0"
                                                          "de|"},
        RtfCase{"{\\rtf1 \\emdash\\endash\\bullet\\lquote x\\rquote\\ldblquote y\\rdblquote\\par}",
                "\xE2\x80\x94\xE2\x80\x93\xE2\x80\xA2\xE2\x80\x98x\xE2\x80\x99\xE2\x80\x9Cy\xE2\x80"
                "\x9D|"},
        RtfCase{"{\\rtf1 line one\r\nstill one\\par\r\n two\\par}", "line onestill one| two|"},
        RtfCase{"{\\rtf1 {\\pict\\pngblip 89504e47{\\nested}}after\\par}", "after|"},
        RtfCase{"{\\rtf1 no final par}", "no final par|"}));

TEST(Rtf, BoldAndItalicRuns) {
    auto ps =
        ParseRtf("{\\rtf1 plain {\\b bold {\\i both}} \\i it\\i0  back\\b1 B\\plain  p\\par}");
    ASSERT_EQ(ps.size(), 1u);
    const auto& r = ps[0].runs;
    ASSERT_EQ(r.size(), 8u);
    EXPECT_EQ(r[0].text, "plain ");
    EXPECT_FALSE(r[0].bold);
    EXPECT_EQ(r[1].text, "bold ");
    EXPECT_TRUE(r[1].bold);
    EXPECT_FALSE(r[1].italic);
    EXPECT_EQ(r[2].text, "both");
    EXPECT_TRUE(r[2].bold && r[2].italic);
    EXPECT_EQ(r[3].text, " ");
    EXPECT_EQ(r[4].text, "it");
    EXPECT_TRUE(r[4].italic && !r[4].bold);
    EXPECT_EQ(r[5].text, " back");
    EXPECT_FALSE(r[5].italic);
    EXPECT_EQ(r[6].text, "B");
    EXPECT_TRUE(r[6].bold);
    // \plain ends bold; the run after it is plain again.
    EXPECT_EQ(r[7].text, " p");
    EXPECT_FALSE(r[7].bold || r[7].italic);
}

TEST(Rtf, UnbalancedGroupsAreErrors) {
    EXPECT_THROW(ParseRtf("{\\rtf1 open {\\b x\\par}"), TessaroError);
    EXPECT_THROW(ParseRtf("{\\rtf1 {\\fonttbl{\\f0 Arial;}"), TessaroError);
}

TEST(HelpFile, PathFollowsTheVariant) {
    EXPECT_EQ(HelpFilePath("/opt/t"), "/opt/t/help2.dat");
}

TEST(HelpFile, PlainAndRichFiles) {
    TempDir dir;
    WriteText(dir / "p.dat", "Line 1\nLine 2 caf\xE9");
    HelpText p = LoadHelpText(dir / "p.dat");
    EXPECT_FALSE(p.rich);
    EXPECT_EQ(p.plain, "Line 1\nLine 2 caf\xC3\xA9");
    WriteText(dir / "r.dat", "{\\rtf1 {\\b Step 1}\\par Create}");
    HelpText r = LoadHelpText(dir / "r.dat");
    EXPECT_TRUE(r.rich);
    EXPECT_EQ(Plain(r.paragraphs), "Step 1|Create|");
    EXPECT_THROW(LoadHelpText(dir / "missing.dat"), FileError);
}

// The help file shipped beside the executable explains the four steps.
TEST(HelpFile, ShippedFileIsRichAndComplete) {
    const char* bin = std::getenv("TESSARO_BIN_DIR");
    if (!bin) GTEST_SKIP() << "TESSARO_BIN_DIR not set";
    std::string path = HelpFilePath(bin);
    ASSERT_TRUE(FileExists(path)) << path;
    HelpText h = LoadHelpText(path);
    ASSERT_TRUE(h.rich);
    std::string all = Plain(h.paragraphs);
    for (const char* s : {"Step 1", "Step 2", "Step 3", "Step 4", "New project", "Open project",
                          "Set Communication", "Set Access", "Update Device"})
        EXPECT_NE(all.find(s), std::string::npos) << s;
    EXPECT_EQ(all.find('\\'), std::string::npos) << "control words leaked: " << all;
}

} // namespace
