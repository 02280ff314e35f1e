#include "TempDir.h"
#include "core/family/EmcyWords.h"
#include "core/project/Errors.h"

#include <gtest/gtest.h>

namespace {
TClWEmcy Word(const std::string& dev, const std::string& index, const std::string& sub) {
    TClWEmcy w;
    w.devid = dev;
    w.index_addrm = index;
    w.subindex = sub;
    return w;
}

TEST(EmcyWord, FieldNames) {
    const auto& n = WordFieldNames();
    ASSERT_EQ(n.size(), 52u);
    EXPECT_EQ(n[0], "index_addrm");
    EXPECT_EQ(n[2], "extdata");
    EXPECT_EQ(n[3], "devid");
    EXPECT_EQ(n[4], "bit0_b0");
    EXPECT_EQ(n[6], "bit0_poscomp");
    EXPECT_EQ(n[4 + 3 * 3 + 2], "bit3_poscomp");
    EXPECT_EQ(n[51], "bit15_poscomp");
}

TEST(EmcyWord, PoscompPacking) {
    struct Case {
        int32_t first, second;
        const char* stored;
        int32_t shownFirst, shownSecond;
    };
    const Case cases[] = {
        {2, 1, "33", 2, 1},
        {1, 17, "33", 2, 1},
        {4096, 0, "0", 0, 0},
        {4095, 15, "65535", 4095, 15},
        {-1, 0, "65520", 4095, 0},
        {0, -1, "65535", 4095, 15},
        {0x7FFFFFFF, 3, "65523", 4095, 3},
    };
    for (const Case& c : cases) {
        const std::string s = PackWordPoscomp(c.first, c.second);
        EXPECT_EQ(s, c.stored) << c.first << "," << c.second;
        auto [f, sec] = UnpackWordPoscomp(std::stoi(s));
        EXPECT_EQ(f, c.shownFirst);
        EXPECT_EQ(sec, c.shownSecond);
    }
    // Only the low 16 bits of a stored value count.
    EXPECT_EQ(UnpackWordPoscomp(65536 + 33), std::make_pair(2, 1));
}

TEST(EmcyWord, NodePositionsAndLabels) {
    EXPECT_EQ(NodeAtPosition(0).word, 0);
    EXPECT_EQ(NodeAtPosition(0).bit, -1);
    EXPECT_EQ(NodeAtPosition(16).bit, 15);
    EXPECT_EQ(NodeAtPosition(17).word, 1);
    EXPECT_EQ(NodeAtPosition(17).bit, -1);
    EXPECT_EQ(NodeAtPosition(NodePosition(3, 4)).word, 3);
    EXPECT_EQ(NodeAtPosition(NodePosition(3, 4)).bit, 4);

    EXPECT_EQ(NextWordLabel({}), "0");
    EXPECT_EQ(NextWordLabel({"W0", "W2"}), "3");
    EXPECT_EQ(NextWordLabel({"W5", "W1"}), "2"); // the last word node counts
}

TEST(EmcyWord, Captions) {
    EXPECT_EQ(WordGroupCaption(2), "Word n\xc2\xb0"
                                   "2 Emcy Define ");
    EXPECT_EQ(BitGroupCaption(15), "Mask BIT n\xc2\xb0"
                                   "15 Define");
    EXPECT_EQ(BitGroupCaption(-1), "Mask BIT n\xc2\xb0  Define");
    // Once a node is shown the caption always has a number.
    const std::pair<int, const char*> shown[] = {
        {0, "0"}, {NodePosition(0, 3), "3"}, {2 * NodesPerWord, "34"}, {NodePosition(2, 15), "15"}};
    for (auto [position, number] : shown)
        EXPECT_EQ(BitGroupCaptionAt(position),
                  std::string("Mask BIT n\xc2\xb0") + number + " Define");
}

TEST(EmcyWord, Accepted) {
    const std::vector<TClWEmcy> list = {Word("5", "0x2000", "1"), Word("6", "0x2000", "1")};
    struct Case {
        const char *dev, *index, *sub;
        int own;
        bool ok;
    };
    const Case cases[] = {
        {"5", "0x2000", "", -1, false}, {"", "1", "1", -1, false},
        {"5", "", "1", -1, false},      {"5", "0x2000", "1", -1, false},
        {"5", "8192", "1", -1, true},   {"5", "0x2000", "1", 0, true},
        {"5", "0x2000", "1", 1, false}, {"7", "0x2000", "1", 1, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WordTextsAccepted(list, c.index, c.sub, c.dev, c.own), c.ok)
            << c.dev << " " << c.index << " " << c.sub << " own " << c.own;
}

TEST(EmcyWord, SaveOrderOfFourWords) {
    const std::vector<TClWEmcy> list = {Word("2", "1", "1"), Word("1", "3", "0"),
                                        Word("1", "5", "0"), Word("1", "3", "0x0")};
    EXPECT_EQ(WordSaveOrder(list), (std::vector<size_t>{3, 1, 2, 0}));
    // Keys above 999999 are written as well.
    const std::vector<TClWEmcy> big = {Word("1000000", "1", "1"),
                                       Word("999999", "999999", "1000000"), Word("1", "1", "1")};
    EXPECT_EQ(WordSaveOrder(big), (std::vector<size_t>{2, 1, 0}));
    try {
        WordSaveOrder({Word("1", "1", "1"), Word("2", "z", "1")});
        FAIL() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'z' is not a valid integer value");
    }
}

TEST(EmcyWord, SaveRowOfCanBWordAndReadBack) {
    TempDir dir;
    WordLists lists;
    TClWEmcy w = Word("5", "0x2000", "1");
    w.Bits[3] = {"255", "0", PackWordPoscomp(2, 1)};
    lists.WordListB = {w};
    lists.WordListA = {Word("2", "1", "1"), Word("1", "3", "0"), Word("1", "5", "0"),
                       Word("1", "3", "0x0")};
    SaveWordFile(dir / "emcyword.xml", lists);
    const std::string text = ReadText(dir / "emcyword.xml");
    const size_t b =
        text.find("<row index_addrm=\"0x2000\" subindex=\"1\" extdata=\"1\" devid=\"5\"");
    ASSERT_NE(b, std::string::npos);
    EXPECT_NE(text.find("bit3_b0=\"255\" bit3_b1=\"0\" bit3_poscomp=\"33\"", b), std::string::npos);
    EXPECT_NE(text.find("bit15_poscomp=\"\"/></emcyword>", b), std::string::npos);

    WordLists back;
    ASSERT_EQ(LoadWordFile(dir / "emcyword.xml", back), WordLoadEnd::Loaded);
    ASSERT_EQ(back.WordListA.size(), 4u);
    const char* expected[][3] = {
        {"1", "3", "0x0"}, {"1", "3", "0"}, {"1", "5", "0"}, {"2", "1", "1"}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(back.WordListA[i].devid, expected[i][0]);
        EXPECT_EQ(back.WordListA[i].index_addrm, expected[i][1]);
        EXPECT_EQ(back.WordListA[i].subindex, expected[i][2]);
    }
    ASSERT_EQ(back.WordListB.size(), 1u);
    EXPECT_EQ(back.WordListB[0].Bits[3].poscomp, "33");
    EXPECT_EQ(back.WordListB[0].Bits[3].b0, "255");
    EXPECT_EQ(back.WordListB[0].Bits[4].b0, "");
}

std::string Row(const std::string& extdata, const std::string& dev = "1",
                const std::string& skip = "") {
    std::string r = "<row";
    const auto& n = WordFieldNames();
    for (size_t i = 0; i < n.size(); ++i) {
        if (n[i] == skip) continue;
        r += " " + n[i] + "=\"" + (i == 2 ? extdata : i == 3 ? dev : i < 2 ? "1" : "") + "\"";
    }
    return r + "/>";
}

TEST(EmcyWord, LoadRules) {
    TempDir dir;
    const std::string path = dir / "emcyword.xml";
    WordLists lists;
    EXPECT_EQ(LoadWordFile(path, lists), WordLoadEnd::FileMissing);
    WriteText(path, "<emcyword>" + Row("1", "11") + Row("2", "12") + Row("0", "13") +
                        Row("0x0", "14") + "</emcyword>");
    ASSERT_EQ(LoadWordFile(path, lists), WordLoadEnd::Loaded);
    ASSERT_EQ(lists.WordListA.size(), 2u);
    EXPECT_EQ(lists.WordListA[1].devid, "14");
    ASSERT_EQ(lists.WordListB.size(), 1u);
    EXPECT_EQ(lists.WordListB[0].devid, "11");
    EXPECT_EQ(WordDocumentText(lists).find("devid=\"12\""), std::string::npos);

    const std::pair<std::string, size_t> failing[] = {
        {"<emcyword>" + Row("0") + Row("0", "1", "bit9_b1") + Row("0") + "</emcyword>", 1},
        {"<emcyword>" + Row("0") + Row("0") + Row("one") + "</emcyword>", 2},
        {"<emcyword>" + Row("0") + Row("0", "1", "extdata") + "</emcyword>", 1},
        {"<emcyword><row", 0},
    };
    for (const auto& [xml, kept] : failing) {
        WriteText(path, xml);
        EXPECT_EQ(LoadWordFile(path, lists), WordLoadEnd::ReadError);
        EXPECT_EQ(lists.WordListA.size(), kept);
    }
    EXPECT_EQ(WordDocumentText({}), "<emcyword/>");
}

TEST(EmcyWord, CsvLinesAndImportRecords) {
    WordLists lists;
    TClWEmcy w = Word("5", "0x2000", "1");
    w.Bits[15].poscomp = "33";
    lists.WordListA = {Word("9", "1", "2")};
    lists.WordListB = {w};
    const auto lines = WordCsvLines(lists);
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[1].size(), 52u);
    EXPECT_EQ(lines[0][2], "0");
    EXPECT_EQ(lines[1][0], "0x2000");
    EXPECT_EQ(lines[1][1], "1");
    EXPECT_EQ(lines[1][2], "1");
    EXPECT_EQ(lines[1][3], "5");
    EXPECT_EQ(lines[1][51], "33");

    const TClWEmcy back = WordFromRecord(lines[1]);
    EXPECT_EQ(back.devid, "5");
    EXPECT_EQ(back.index_addrm, "0x2000");
    EXPECT_EQ(back.Bits[15].poscomp, "33");
    EXPECT_THROW(WordFromRecord(std::vector<std::string>(51)), std::exception);

    // An import places a record by its side marker and skips other markers.
    WordLists imported;
    for (int32_t marker : {1, 0, 2, -1, 1})
        ImportWordRecord(imported, marker, lines[1]);
    EXPECT_EQ(imported.WordListA.size(), 1u);
    EXPECT_EQ(imported.WordListB.size(), 2u);
    EXPECT_EQ(imported.WordListB[1].devid, "5");
}
} // namespace
