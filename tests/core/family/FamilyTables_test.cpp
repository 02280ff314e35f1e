#include "core/family/FamilyTables.h"
#include "core/family/ImportExport.h"
#include "core/project/Errors.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {
PdoRow Cob(const std::string& cobid, const std::string& flag = "1") {
    return {cobid, "dev", flag, "p", "n"};
}

} // namespace

// ---- SDO access table ------------------------------------------------------

TEST(SdoAccess, LoadPlacesEntriesBySideWithRw) {
    TempDir dir;
    WriteText(
        dir / "s.xml",
        "<anything>"
        "<e conf=\"17\" IndexA=\"0x2000\" SubindexA=\"1\" devIDB=\"5\" IndexB=\"0x6000\" "
        "SubindexB=\"2\" nbyteB=\"2\"/>"
        "<e conf=\"0\" IndexA=\"a1\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
        "nbyteB=\"\" mnemonico=\"first\"/>"
        "<x conf=\"32\" IndexA=\"a2\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
        "nbyteB=\"\" mnemonico=\"m\"/>"
        "<e conf=\"0x11\" IndexA=\"b2\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
        "nbyteB=\"\"/>"
        "<e conf=\"16\" IndexA=\"a3\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
        "nbyteB=\"\"/>"
        "</anything>");
    SdoAccessTables t;
    EXPECT_EQ(LoadSdoAccess(dir / "s.xml", t), FamilyLoad::Loaded);
    EXPECT_EQ(t.rows[CanB][0], (SdoRow{"1", "0x2000", "1", "5", "0x6000", "2", "2", ""}));
    EXPECT_EQ(t.rows[CanB][1][0], "1");
    EXPECT_EQ(t.rows[CanB][1][1], "b2");
    EXPECT_EQ(t.rows[CanA][0][0], "0");
    EXPECT_EQ(t.rows[CanA][0][7], "first");
    EXPECT_EQ(t.rows[CanA][1][0], "0") << "conf 32 is CAN A without RW";
    EXPECT_EQ(t.rows[CanA][2][0], "1");
    EXPECT_EQ(t.rows[CanA][2][1], "a3");
    EXPECT_EQ(t.rows[CanA][3], SdoRow{});
    EXPECT_EQ(t.rows[CanB][2], SdoRow{});
    EXPECT_EQ(t.rows[CanA].size(), size_t(SdoGridRows));
}

TEST(SdoAccess, LoadFailures) {
    TempDir dir;
    SdoAccessTables t;
    EXPECT_EQ(LoadSdoAccess(dir / "none.xml", t), FamilyLoad::NotFound);
    EXPECT_EQ(LoadSdoAccess("", t), FamilyLoad::NotFound);
    const char* cases[] = {
        "<r><e conf=\"1\" IndexA=\"x\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
        "nbyteB=\"\"/><e conf=\"0\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
        "nbyteB=\"\"/></r>",
        "<r><e conf=\"1\" IndexA=\"x\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
        "nbyteB=\"\"/><e conf=\"one\" IndexA=\"\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" "
        "SubindexB=\"\" nbyteB=\"\"/></r>",
        "<r><e conf=\"1\" IndexA=\"x\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
        "nbyteB=\"\"/>text</r>",
        "<r><e conf=\"1\" IndexA=\"x\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
        "nbyteB=\"\"/><e",
    };
    for (const char* xml : cases) {
        WriteText(dir / "bad.xml", xml);
        SdoAccessTables t2;
        auto result = LoadSdoAccess(dir / "bad.xml", t2);
        EXPECT_EQ(result, FamilyLoad::ReadError) << xml;
        if (std::string(xml).back() == '>') {
            EXPECT_EQ(t2.rows[CanB][0][1], "x") << "entries before the fault stay: " << xml;
        }
        EXPECT_EQ(t2.rows[CanA][0], SdoRow{}) << xml;
    }
}

TEST(SdoAccess, ImportRecordsAndOverflowKeepsEveryRow) {
    SdoAccessTables t;
    ImportSdoRecord(t, 16, {"16", "0x2000", "1", "5", "0x6000", "0", "2", "temp"});
    ImportSdoRecord(t, 17, {"17", "i", "s", "d", "I", "S", "n", "m"});
    ImportSdoRecord(t, 0, {"0", "k", "", "", "", "", "", ""});
    EXPECT_EQ(t.rows[CanA][0], (SdoRow{"1", "0x2000", "1", "5", "0x6000", "0", "2", "temp"}));
    EXPECT_EQ(t.rows[CanA][1][0], "0");
    EXPECT_EQ(t.rows[CanB][0], (SdoRow{"1", "i", "s", "d", "I", "S", "n", "m"}));
    for (int i = 0; i < SdoGridRows; ++i)
        ImportSdoRecord(t, 1, {"1", std::to_string(i), "", "", "", "", "", ""});
    EXPECT_EQ(t.rows[CanB].size(), size_t(SdoGridRows + 1));
    EXPECT_EQ(t.rows[CanB][SdoGridRows][1], std::to_string(SdoGridRows - 1));
    t.clear();
    EXPECT_EQ(t.rows[CanB].size(), size_t(SdoGridRows));
    EXPECT_EQ(t.filled[CanB], 0);
    EXPECT_EQ(t.rows[CanA][0], SdoRow{}) << "cleared rows hold nothing";
    EXPECT_EQ(t.rows[CanB][0], SdoRow{});
}

TEST(SdoAccess, ShortImportRecordPlacesNothing) {
    for (size_t n = 0; n < size_t(SdoFields); ++n) {
        SdoAccessTables t;
        ImportSdoRecord(t, 1, {"1", "a", "b", "c", "d", "e", "f", "g"});
        EXPECT_THROW(ImportSdoRecord(t, 1, std::vector<std::string>(n, "x")), std::out_of_range)
            << n;
        EXPECT_EQ(t.filled[CanB], 1) << n;
        EXPECT_EQ(t.rows[CanB][0], (SdoRow{"0", "a", "b", "c", "d", "e", "f", "g"})) << n;
        EXPECT_EQ(t.rows[CanB][1], SdoRow{}) << n;
    }
}

TEST(SdoAccess, ExportFileByteForByte) {
    TempDir dir;
    SdoAccessTables t;
    t.rows[CanA][0] = {"1", "0x2000", "1", "5", "0x6000", "0", "2", "temp, room"};
    t.rows[CanA][4] = {" 1", "a", "", "", "", "", "", ""};
    t.rows[CanB][0] = {"1", "b", "", "", "", "", "", ""};
    t.rows[CanB][1] = {"yes", "c", "", "", "", "", "", ""};
    WriteCsv(dir / "sdo.csv", SdoExportLines(t));
    std::string expected = "0,Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,\r\n"
                           "16,0x2000,1,5,0x6000,0,2,temp, room,\r\n";
    for (int r = 2; r <= 4; ++r)
        expected += "0,,,,,,,,\r\n";
    expected += "0,a,,,,,,,\r\n";
    for (int r = 6; r <= 1500; ++r)
        expected += "0,,,,,,,,\r\n";
    expected += "1,Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,\r\n"
                "17,b,,,,,,,\r\n"
                "1,c,,,,,,,\r\n";
    for (int r = 3; r <= 1500; ++r)
        expected += "1,,,,,,,,\r\n";
    EXPECT_EQ(ReadText(dir / "sdo.csv"), expected);
}

// ---- PDO translation table -------------------------------------------------

TEST(PdoTable, SaveOrder) {
    struct Case {
        const char* what;
        std::vector<std::string> cobids;
        std::vector<size_t> order;
    };
    const Case cases[] = {
        {"equal ones from the highest row", {"0x181", "0x180", "385"}, {1, 2, 0}},
        {"stops at the first empty COB-ID", {"3", "2", "", "1"}, {1, 0}},
        {"empty table", {"", "5"}, {}},
        {"beyond the bound after all others", {"0x9999A0", "0x999999", "1"}, {2, 1, 0}},
        {"negative first", {"5", "$FFFFFFFF", "0"}, {1, 2, 0}},
        {"three equal", {"7", "7", "7"}, {2, 1, 0}},
    };
    for (const auto& c : cases) {
        std::vector<PdoRow> rows;
        for (const auto& id : c.cobids)
            rows.push_back(Cob(id));
        EXPECT_EQ(PdoSaveOrder(rows), c.order) << c.what;
    }
    try {
        PdoSaveOrder({Cob("1"), Cob("0x18G")});
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'0x18G' is not a valid integer value");
    }
}

TEST(PdoTable, SavedDocument) {
    PdoTables t;
    t.rows[CanA][0] = {"0x181", "a1", "1", "p1", "n1"};
    t.rows[CanA][1] = {"0x180", "a2", "yes", "p2", "n2"};
    t.rows[CanA][2] = {"385", "a3", "0", "p3", "n3"};
    t.rows[CanB][0] = {"7", "b1", "1", "", ""};
    t.rows[CanB][1] = {"6", "b2", "", "", ""};
    t.rows[CanB][2] = {"", "gone", "", "", ""};
    t.rows[CanB][3] = {"1", "gone too", "", "", ""};
    EXPECT_EQ(
        RpdodefXml(t),
        "<rpdodef>"
        "<row cobid=\"0x180\" id_dev_orig=\"a2\" en_bypass=\"2\" posind=\"p2\" n_tpdo=\"n2\"/>"
        "<row cobid=\"385\" id_dev_orig=\"a3\" en_bypass=\"2\" posind=\"p3\" n_tpdo=\"n3\"/>"
        "<row cobid=\"0x181\" id_dev_orig=\"a1\" en_bypass=\"3\" posind=\"p1\" n_tpdo=\"n1\"/>"
        "<row cobid=\"6\" id_dev_orig=\"b2\" en_bypass=\"0\" posind=\"\" n_tpdo=\"\"/>"
        "<row cobid=\"7\" id_dev_orig=\"b1\" en_bypass=\"1\" posind=\"\" n_tpdo=\"\"/>"
        "</rpdodef>");
}

TEST(PdoTable, SaveAndLoadRoundTrip) {
    TempDir dir;
    PdoTables t;
    t.rows[CanA][0] = {"0x181", "a1", "1", "p1", "n1"};
    t.rows[CanB][0] = {"0x200", "b1", "yes", "", "x"};
    SaveRpdodef(dir / "rpdodef.xml", t);
    PdoTables back;
    ASSERT_EQ(LoadRpdodef(dir / "rpdodef.xml", back), FamilyLoad::Loaded);
    EXPECT_EQ(back.rows[CanA][0], (PdoRow{"0x181", "a1", "1", "p1", "n1"}));
    EXPECT_EQ(back.rows[CanB][0], (PdoRow{"0x200", "b1", "0", "", "x"}));

    PdoTables empty;
    SaveRpdodef(dir / "empty.xml", empty);
    PdoTables e2;
    EXPECT_EQ(LoadRpdodef(dir / "empty.xml", e2), FamilyLoad::Loaded);
    EXPECT_EQ(e2.rows[CanA], empty.rows[CanA]);

    PdoTables bad;
    bad.rows[CanB][0] = Cob("zz");
    WriteText(dir / "keep.xml", "old");
    EXPECT_THROW(SaveRpdodef(dir / "keep.xml", bad), EConvertError);
    EXPECT_EQ(ReadText(dir / "keep.xml"), "old");
}

TEST(PdoTable, LoadDirectionAndFlag) {
    TempDir dir;
    WriteText(dir / "r.xml",
              "<q><r cobid=\"1\" id_dev_orig=\"\" en_bypass=\"6\" posind=\"\" n_tpdo=\"\"/>"
              "<r cobid=\"2\" id_dev_orig=\"\" en_bypass=\"1\" posind=\"\" n_tpdo=\"\"/>"
              "<r cobid=\"3\" id_dev_orig=\"\" en_bypass=\"x\" posind=\"\" n_tpdo=\"\"/>"
              "<r cobid=\"4\" id_dev_orig=\"\" en_bypass=\"3\" posind=\"\" n_tpdo=\"\"/></q>");
    PdoTables t;
    EXPECT_EQ(LoadRpdodef(dir / "r.xml", t), FamilyLoad::ReadError);
    EXPECT_EQ(t.rows[CanA][0][0], "1");
    EXPECT_EQ(t.rows[CanA][0][2], "0");
    EXPECT_EQ(t.rows[CanB][0][0], "2");
    EXPECT_EQ(t.rows[CanB][0][2], "1");
    EXPECT_EQ(t.rows[CanA][1], PdoRow{}) << "entries after the fault are not read";
}

TEST(PdoTable, ImportAndElevenRows) {
    PdoTables t;
    ImportPdoRecord(t, 1, {"0x181", "5", "1", "p", "n"});
    ImportPdoRecord(t, 2, {"0x182", "6", "2", "q", "m"});
    ImportPdoRecord(t, 3, {"0x183", "7", "3", "r", "o"});
    EXPECT_EQ(t.rows[CanA][0], (PdoRow{"0x181", "5", "1", "p", "n"}));
    EXPECT_EQ(t.rows[CanB][0], (PdoRow{"0x182", "6", "0", "q", "m"}));
    EXPECT_EQ(t.rows[CanB][1], (PdoRow{"0x183", "7", "1", "r", "o"}));
    for (int i = 0; i < 10; ++i)
        ImportPdoRecord(t, 0, {std::to_string(20 - i), "", "", "", ""});
    ASSERT_EQ(t.rows[CanA].size(), 11u);
    EXPECT_EQ(PdoSaveOrder(t.rows[CanA]).size(), 11u) << "every imported row is saved";
}

TEST(PdoTable, ExportEmptyTableIs22Lines) {
    TempDir dir;
    WriteCsv(dir / "rpdodef.csv", PdoExportLines(PdoTables{}));
    std::string expected = "cobid,id_dev_orig,00,posind,n_tpdo,\r\n";
    for (int i = 0; i < 10; ++i)
        expected += ",,00,,,\r\n";
    expected += "cobid,id_dev_orig,10,posind,n_tpdo,\r\n";
    for (int i = 0; i < 10; ++i)
        expected += ",,10,,,\r\n";
    EXPECT_EQ(ReadText(dir / "rpdodef.csv"), expected);

    PdoTables t;
    t.rows[CanA][0] = {"0x181", "1", "1", "a", "b"};
    t.rows[CanB][9] = {"0x200", "2", "1", "", ""};
    t.rows[CanB][8] = {"0x201", "2", " 1", "", ""};
    auto lines = PdoExportLines(t);
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(CsvLine(lines[1]), "0x181,1,01,a,b,\r\n");
    EXPECT_EQ(CsvLine(lines[20]), "0x201,2,10,,,\r\n");
    EXPECT_EQ(CsvLine(lines[21]), "0x200,2,11,,,\r\n");
}
