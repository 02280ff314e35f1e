#include "TempDir.h"
#include "core/family/EmcyTable.h"
#include "core/project/Errors.h"

#include <gtest/gtest.h>

namespace {
TClEmcy Entry(const std::string& id, bool enabled = false, int32_t target = 0) {
    TClEmcy e;
    for (int f = 0; f < EmcyTextCount; ++f)
        e.text(f) = "0";
    e.id_dev = id;
    e.TranslateEnabled = enabled;
    e.TranslateTarget = target;
    return e;
}

TEST(Emcy, FieldNamesAndTextOrder) {
    TClEmcy e;
    for (int f = 0; f < EmcyTextCount; ++f)
        e.text(f) = EmcyFieldNames[static_cast<size_t>(f)];
    EXPECT_EQ(e.id_dev, "id_dev");
    EXPECT_EQ(e.mask_eq_er, "mask_eq_er");
    EXPECT_EQ(e.enmask_eq_ec, "enmask_eq_ec");
    EXPECT_EQ(e.enmask_eq_m3, "enmask_eq_m3");
    EXPECT_EQ(EmcyFieldNames[11], "bypass_set");
}

TEST(Emcy, BypassSetPacking) {
    struct Case {
        bool enabled;
        int32_t target;
        int side;
        int32_t packed;
    };
    const Case cases[] = {
        {true, 3, 1, 39},  {false, 0, 0, 0}, {true, 0, 1, 33},
        {false, 8, 0, 16}, {true, 8, 1, 49}, {false, 15, 0, 30},
    };
    for (const Case& c : cases) {
        TClEmcy e = Entry("1", c.enabled, c.target);
        EXPECT_EQ(PackBypassSet(e, c.side), c.packed);
        TClEmcy back;
        EXPECT_EQ(UnpackBypassSet(c.packed, back), c.side);
        EXPECT_EQ(back.TranslateEnabled, c.enabled);
        EXPECT_EQ(back.TranslateTarget, c.target);
    }
    // Bit 6 alone: side A, disabled, target 0; other bits are ignored.
    TClEmcy e = Entry("1", true, 5);
    EXPECT_EQ(UnpackBypassSet(64, e), 0);
    EXPECT_FALSE(e.TranslateEnabled);
    EXPECT_EQ(e.TranslateTarget, 0);
    EXPECT_EQ(UnpackBypassSet(-1, e), 1);
    EXPECT_EQ(e.TranslateTarget, 15);
}

TEST(Emcy, IdRejections) {
    struct Case {
        const char* id;
        const char* old;
        std::vector<std::string> rows;
        bool isNew;
        int shown;
    };
    const Case cases[] = {
        {"5", "", {"1", "2"}, true, 0},    {"5", "", {"1", "5"}, true, 1},
        {"05", "", {"5", "0x5"}, true, 0}, {"", "", {"1"}, true, 1},
        {"", "", {"1", ""}, true, 2},      {"5", "5", {"5"}, false, 0},
        {"6", "5", {"5", "6"}, false, 1},  {"", "5", {"5"}, false, 1},
        {"", "", {""}, false, 0},          {"7", "5", {"5", "6"}, false, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EmcyIdRejections(c.id, c.old, c.rows, c.isNew), c.shown)
            << "'" << c.id << "' old '" << c.old << "'";
}

TEST(Emcy, SaveOrder) {
    using V = std::vector<size_t>;
    EXPECT_EQ(EmcySaveOrder({"10", "2", "0x3"}), (V{1, 2, 0}));
    EXPECT_EQ(EmcySaveOrder({"5", "05"}), (V{1, 0}));
    EXPECT_EQ(EmcySaveOrder({"7", "$7", "1", "x7"}), (V{2, 3, 1, 0}));
    EXPECT_EQ(EmcySaveOrder({}), V{});
    // Values above 999999 are written too, in the same ascending order.
    EXPECT_EQ(EmcySaveOrder({"2000000", "999999", "1000000", "-1", "2000000"}), (V{3, 1, 2, 4, 0}));
    try {
        EmcySaveOrder({"1", "abc", "x"});
        FAIL() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
}

TEST(Emcy, SaveWritesSidesInOrderAndReadsBack) {
    TempDir dir;
    EmcyLists lists;
    lists.EmcyListA = {Entry("10"), Entry("2", true, 1), Entry("0x3")};
    TClEmcy b = Entry("7", true, 3);
    b.mask_eq_ec = "0xFFFF";
    b.enmask_eq_m3 = " 12";
    lists.EmcyListB = {b};
    SaveEmcyFile(dir / "emcydef.xml", lists);
    const std::string text = ReadText(dir / "emcydef.xml");
    EXPECT_EQ(text.substr(0, 9), "<emcydef>");
    EXPECT_EQ(text.find("<row id_dev=\"2\" mask_eq_ec=\"0\""), 9u);
    EXPECT_NE(text.find("enmask_eq_m3=\" 12\" bypass_set=\"39\"/></emcydef>"), std::string::npos);

    EmcyLists back;
    ASSERT_EQ(LoadEmcyFile(dir / "emcydef.xml", back), EmcyLoadEnd::Loaded);
    ASSERT_EQ(back.EmcyListA.size(), 3u);
    EXPECT_EQ(back.EmcyListA[0].id_dev, "2");
    EXPECT_TRUE(back.EmcyListA[0].TranslateEnabled);
    EXPECT_EQ(back.EmcyListA[0].TranslateTarget, 1);
    EXPECT_EQ(back.EmcyListA[1].id_dev, "0x3");
    EXPECT_EQ(back.EmcyListA[2].id_dev, "10");
    ASSERT_EQ(back.EmcyListB.size(), 1u);
    EXPECT_EQ(back.EmcyListB[0].mask_eq_ec, "0xFFFF");
    EXPECT_EQ(back.EmcyListB[0].enmask_eq_m3, " 12");
    EXPECT_EQ(back.EmcyListB[0].TranslateTarget, 3);
    EXPECT_TRUE(back.EmcyListB[0].TranslateEnabled);
}

TEST(Emcy, EmptyListsWriteEmptyRoot) {
    EXPECT_EQ(EmcyDocumentText({}), "<emcydef/>");
    EmcyLists bad;
    bad.EmcyListB = {Entry("abc")};
    EXPECT_THROW(EmcyDocumentText(bad), EConvertError);
}

std::string Row(const std::string& id, const std::string& bypass, const std::string& mask = "1") {
    std::string r = "<row id_dev=\"" + id + "\"";
    for (int f = 1; f < EmcyTextCount; ++f)
        r += " " + EmcyFieldNames[static_cast<size_t>(f)] + "=\"" + mask + "\"";
    return r + " bypass_set=\"" + bypass + "\"/>";
}

TEST(Emcy, LoadRules) {
    TempDir dir;
    const std::string path = dir / "emcydef.xml";
    EmcyLists lists;
    lists.EmcyListA = {Entry("1")};
    EXPECT_EQ(LoadEmcyFile(path, lists), EmcyLoadEnd::FileMissing);
    EXPECT_TRUE(lists.EmcyListA.empty());

    // Side from bit 5, whatever the element name; empty texts become "0".
    WriteText(path, "<emcydef>" + Row("4", "33", "") + Row("", "64") + "<item" +
                        Row("9", "7").substr(4) + "</emcydef>");
    ASSERT_EQ(LoadEmcyFile(path, lists), EmcyLoadEnd::Loaded);
    ASSERT_EQ(lists.EmcyListA.size(), 2u);
    ASSERT_EQ(lists.EmcyListB.size(), 1u);
    EXPECT_EQ(lists.EmcyListB[0].id_dev, "4");
    EXPECT_EQ(lists.EmcyListB[0].mask_eq_m2, "0");
    EXPECT_TRUE(lists.EmcyListB[0].TranslateEnabled);
    EXPECT_EQ(lists.EmcyListA[0].id_dev, "0");
    EXPECT_FALSE(lists.EmcyListA[0].TranslateEnabled);
    EXPECT_EQ(lists.EmcyListA[1].id_dev, "9");
    EXPECT_EQ(lists.EmcyListA[1].TranslateTarget, 3);

    // A failing row ends the reading; rows before it stay.
    const std::string missingAttr = "<row id_dev=\"3\" bypass_set=\"0\"/>";
    const std::pair<std::string, size_t> failing[] = {
        {"<emcydef>" + Row("1", "0") + missingAttr + Row("2", "0") + "</emcydef>", 1},
        {"<emcydef>" + Row("1", "0") + Row("2", "1.5") + Row("3", "0") + "</emcydef>", 1},
        {"<emcydef>" + Row("1", "0") + Row("2", "0") + "text" + Row("3", "0") + "</emcydef>", 2},
        {"<emcydef>" + Row("1", "0"), 0},
    };
    for (const auto& [xml, kept] : failing) {
        WriteText(path, xml);
        EXPECT_EQ(LoadEmcyFile(path, lists), EmcyLoadEnd::ReadError) << xml;
        EXPECT_EQ(lists.EmcyListA.size(), kept) << xml;
    }
}

TEST(Emcy, CsvLinesAndImportRecords) {
    EmcyLists lists;
    lists.EmcyListA = {Entry("10"), Entry("2")};
    lists.EmcyListB = {Entry("5", true, 8)};
    const auto lines = EmcyCsvLines(lists);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0][0], "10"); // list order, not sorted
    EXPECT_EQ(lines[0].size(), 12u);
    EXPECT_EQ(lines[0][11], "0");
    EXPECT_EQ(lines[2][11], "49");

    std::vector<std::string> rec(12, "");
    rec[0] = "7";
    rec[11] = "33";
    TClEmcy e;
    EXPECT_EQ(EmcyFromRecord(33, rec, e), 1);
    EXPECT_EQ(e.id_dev, "7");
    EXPECT_EQ(e.mask_eq_ec, ""); // imported empties stay empty
    EXPECT_TRUE(e.TranslateEnabled);
    EXPECT_EQ(e.TranslateTarget, 0);
    // An import appends to the side bit 5 of bypass_set names, in record order.
    EmcyLists imported;
    for (int32_t set : {33, 0, 32, 5}) {
        rec[0] = std::to_string(set);
        ImportEmcyRecord(imported, set, rec);
    }
    ASSERT_EQ(imported.EmcyListA.size(), 2u);
    ASSERT_EQ(imported.EmcyListB.size(), 2u);
    EXPECT_EQ(imported.EmcyListA[1].id_dev, "5");
    EXPECT_EQ(imported.EmcyListB[1].id_dev, "32");

    rec.pop_back();
    EXPECT_THROW(EmcyFromRecord(33, rec, e), std::exception);
    EXPECT_THROW(ImportEmcyRecord(imported, 33, rec), std::exception);
}
} // namespace
