#include "core/family/ImportExport.h"
#include "core/family/StoredPdo.h"
#include "core/project/Errors.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {
TClPdo Pdo(int number, std::vector<TClSdo> entries, std::string cobid = "0x181") {
    TClPdo p(std::move(cobid), number);
    p.entries = std::move(entries);
    return p;
}

std::string SdoEntry(const char* conf, const char* index, const char* sub) {
    return std::string("<e conf=\"") + conf + "\" IndexA=\"" + index + "\" SubindexA=\"" + sub +
           "\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" nbyteB=\"\"/>";
}

std::string PdoEntry(const char* cobid, const char* en) {
    return std::string("<row cobid=\"") + cobid + "\" id_dev_orig=\"\" en_bypass=\"" + en +
           "\" posind=\"\" n_tpdo=\"\"/>";
}

std::string StoredEntry(const char* index, const char* sub, const char* nrpdo) {
    return std::string("<row index=\"") + index + "\" subindex=\"" + sub + "\" nrpdo=\"" + nrpdo +
           "\" poscomp=\"33\"/>";
}
} // namespace

TEST(StoredPdo, Poscomp) {
    EXPECT_EQ(PackPoscomp(2, 1), "33");
    EXPECT_EQ(PackPoscomp(0, 0), "0");
    EXPECT_EQ(PackPoscomp(8, 8), "136");
    EXPECT_EQ(PackPoscomp(-1, 3), "3");
    EXPECT_EQ(UnpackPoscomp("33"), std::make_pair(2, 1));
    EXPECT_EQ(UnpackPoscomp("0x88"), std::make_pair(8, 8));
    EXPECT_EQ(UnpackPoscomp("256"), std::make_pair(0, 0));
    EXPECT_THROW(UnpackPoscomp(""), EConvertError);
}

TEST(StoredPdo, SaveOrderAndNumbers) {
    StoredPdoModel m;
    m.side[CanA].pdos = {Pdo(1, {{"0x2000", "1", "33"}}), Pdo(2, {{"4096", "5", "0"}})};
    m.side[CanB].pdos = {Pdo(1, {}), Pdo(2, {}), Pdo(3, {{"7", "0", "1"}})};
    EXPECT_EQ(SdopdoXml(m), "<sdopdo>"
                            "<row index=\"4096\" subindex=\"5\" nrpdo=\"2\" poscomp=\"0\"/>"
                            "<row index=\"0x2000\" subindex=\"1\" nrpdo=\"1\" poscomp=\"33\"/>"
                            "<row index=\"7\" subindex=\"0\" nrpdo=\"131\" poscomp=\"1\"/>"
                            "</sdopdo>");
    auto lines = StoredExportLines(m);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(CsvLine(lines[0]), "0x2000,1,1,33,\r\n") << "export keeps model order";
    EXPECT_EQ(CsvLine(lines[1]), "4096,5,2,0,\r\n");
    EXPECT_EQ(CsvLine(lines[2]), "7,0,131,1,\r\n");
}

TEST(StoredPdo, SaveOrderTiesAndBound) {
    std::vector<TClPdo> pdos = {
        Pdo(1, {{"0x999999", "0x999999", "a"}, {"2", "1", "b"}, {"0xA00000", "0", "c"}}),
        Pdo(2, {{"2", "1", "d"}, {"2", "0", "e"}, {"0x999999", "1", "f"}}),
    };
    using P = std::pair<size_t, size_t>;
    EXPECT_EQ(StoredSaveOrder(pdos),
              (std::vector<P>{{1, 1}, {0, 1}, {1, 0}, {1, 2}, {0, 0}, {0, 2}}));
    pdos[1].entries[0].subindex = "one";
    EXPECT_THROW(StoredSaveOrder(pdos), EConvertError);
}

TEST(StoredPdo, KeyCheck) {
    const std::vector<TClSdo> keys = {{"0x3000", "1", ""}};
    const std::vector<TClPdo> pdos = {Pdo(1, {{"0x2000", "1", "0"}, {"0x2001", "0", "0"}}),
                                      Pdo(2, {{"0x2002", "0", "0"}})};
    struct Case {
        const char* index;
        const char* sub;
        int pdo, entry;
        std::string result;
    };
    const Case cases[] = {
        {"8192", "1", -1, -1, SdoUsedText},
        {"0x2000", "2", -1, -1, ""},
        {"12288", "0x01", -1, -1, SdoExistsText},
        {"0x3000", "1", 0, 0, SdoExistsText},
        {"0x2000", "1", 0, 0, ""},
        {"0x2000", "1", 1, 0, SdoUsedText},
        {"0x2000", "1", 0, -1, SdoUsedText},
        {"0x2002", "0", 1, 0, ""},
        {"0x4000", "junk", -1, -1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckSdoEntryKey(c.index, c.sub, keys, pdos, c.pdo, c.entry), c.result)
            << c.index << "/" << c.sub;
    EXPECT_EQ(CheckSdoEntryKey("anything", "at all", {}, {}, -1, -1), "");
    EXPECT_THROW(CheckSdoEntryKey("idx", "1", keys, pdos, -1, -1), EConvertError);
    EXPECT_THROW(CheckSdoEntryKey("0x3000", "", keys, pdos, -1, -1), EConvertError);
}

TEST(StoredPdo, LoadThreeFiles) {
    TempDir dir;
    WriteText(dir / "sdo.xml",
              "<sdo>" + SdoEntry("0", "0x3000", "1") + SdoEntry("17", "0x3001", "2") + "</sdo>");
    WriteText(dir / "rpdodef.xml", "<rpdodef>" + PdoEntry("0x181", "0") + PdoEntry("0x182", "3") +
                                       PdoEntry("0x183", "1") + PdoEntry("0x184", "2") +
                                       PdoEntry("0x185", "0") + "</rpdodef>");
    WriteText(dir / "sdopdo.xml", "<sdopdo>" + StoredEntry("1", "0", "1") +
                                      StoredEntry("2", "0", "5") + StoredEntry("3", "0", "130") +
                                      StoredEntry("4", "0", "3") + StoredEntry("5", "0", "128") +
                                      StoredEntry("6", "0", "1") + "</sdopdo>");
    StoredPdoModel m;
    auto msgs = LoadStoredPdo(dir / "sdo.xml", dir / "rpdodef.xml", dir / "sdopdo.xml", m);
    EXPECT_EQ(msgs, std::vector<std::string>{"Error in reading file SDOPDO XML"});
    ASSERT_EQ(m.side[CanA].keys.size(), 1u);
    EXPECT_EQ(m.side[CanA].keys[0].index, "0x3000");
    ASSERT_EQ(m.side[CanB].keys.size(), 1u);
    EXPECT_EQ(m.side[CanB].keys[0].subindex, "2");
    ASSERT_EQ(m.side[CanA].pdos.size(), 3u);
    EXPECT_EQ(m.side[CanA].pdos[2].cobid, "0x185");
    EXPECT_EQ(m.side[CanA].pdos[2].number, 3);
    ASSERT_EQ(m.side[CanB].pdos.size(), 2u);
    EXPECT_EQ(m.side[CanB].pdos[1].cobid, "0x184");
    ASSERT_EQ(m.side[CanA].pdos[0].entries.size(), 1u);
    EXPECT_EQ(m.side[CanA].pdos[0].entries[0].poscomp, "33");
    ASSERT_EQ(m.side[CanB].pdos[1].entries.size(), 1u);
    EXPECT_EQ(m.side[CanB].pdos[1].entries[0].index, "3");
    EXPECT_EQ(m.side[CanA].pdos[2].entries.size(), 1u);
    EXPECT_TRUE(m.side[CanA].pdos[1].entries.empty()) << "nrpdo 5 skipped";
    EXPECT_EQ(m.side[CanA].pdos[0].entries.size(), 1u) << "loading ended at nrpdo 128";
}

TEST(StoredPdo, LoadMessages) {
    TempDir dir;
    StoredPdoModel m;
    EXPECT_EQ(LoadStoredPdo(dir / "sdo.xml", dir / "rpdodef.xml", dir / "sdopdo.xml", m),
              (std::vector<std::string>{"File SDO XML not found", "File PDO XML not found",
                                        "File SDOPDO XML not found"}));
    // The gateway's access map under the same name holds no keys.
    WriteText(dir / "sdo.xml", "<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\"1\"/>"
                               "</DeviceNet_IN><DeviceNet_OUT/></Serial_to_ProfiBus>");
    WriteText(dir / "rpdodef.xml", "<rpdodef><row cobid=\"1\"/></rpdodef>");
    WriteText(dir / "sdopdo.xml", "<sdopdo>" + StoredEntry("1", "0", "1") + "</sdopdo>");
    EXPECT_EQ(LoadStoredPdo(dir / "sdo.xml", dir / "rpdodef.xml", dir / "sdopdo.xml", m),
              (std::vector<std::string>{"Error in reading file PDO XML"}));
    EXPECT_TRUE(m.side[CanA].keys.empty());
    EXPECT_TRUE(m.side[CanA].pdos.empty()) << "no PDOs, so the entry is skipped";
    WriteText(dir / "sdo.xml", "<sdo>" + SdoEntry("0", "1", "1") + "<e IndexA=\"2\"/></sdo>");
    EXPECT_EQ(
        LoadStoredPdo(dir / "sdo.xml", dir / "none.xml", dir / "sdopdo.xml", m),
        (std::vector<std::string>{"Error in reading file SDO XML", "File PDO XML not found"}));
    EXPECT_EQ(m.side[CanA].keys.size(), 1u);
}

TEST(StoredPdo, ImportRecords) {
    StoredPdoModel m;
    m.side[CanA].pdos = {Pdo(1, {{"9", "9", "9"}}), Pdo(2, {})};
    m.side[CanB].pdos = {Pdo(1, {})};
    ClearStoredEntries(m);
    EXPECT_TRUE(m.side[CanA].pdos[0].entries.empty());
    ImportStoredRecord(m, 2, {"0x2000", "1", "2", "33"});
    ImportStoredRecord(m, 129, {"0x2001", "2", "129", "1"});
    ImportStoredRecord(m, 3, {"x", "y", "3", "z"});     // beyond CAN A's two PDOs
    ImportStoredRecord(m, 130, {"x", "y", "130", "z"}); // beyond CAN B's one PDO
    ASSERT_EQ(m.side[CanA].pdos[1].entries.size(), 1u);
    EXPECT_EQ(m.side[CanA].pdos[1].entries[0].poscomp, "33");
    EXPECT_EQ(m.side[CanB].pdos[0].entries[0].index, "0x2001");
    EXPECT_THROW(ImportStoredRecord(m, 128, {"a", "b", "128", "c"}), TessaroError);
    EXPECT_EQ(SdopdoXml(StoredPdoModel{}), "<sdopdo/>");
}

// Whatever the editor lets the user build saves and reads back unchanged: any
// PDO count per side, entries on every PDO that may hold them, every byte
// selection of the two drop-downs.
TEST(StoredPdo, EditorResultsReadBackUnchanged) {
    TempDir dir;
    const std::string sdo = dir / "sdo.xml", rpdodef = dir / "rpdodef.xml",
                      sdopdo = dir / "sdopdo.xml";
    WriteText(sdo, "<sdo/>");
    for (int count : {0, 1, 2, 126, 127, 128, 140}) {
        SCOPED_TRACE(count);
        std::string pdos = "<rpdodef>";
        for (int i = 0; i < count; ++i)
            pdos += PdoEntry("0x181", "0") + PdoEntry("0x281", "2");
        WriteText(rpdodef, pdos + "</rpdodef>");
        WriteText(sdopdo, "<sdopdo/>");
        StoredPdoModel model;
        ASSERT_TRUE(LoadStoredPdo(sdo, rpdodef, sdopdo, model).empty());
        int value = 0;
        for (auto& side : model.side) {
            ASSERT_EQ(int(side.pdos.size()), count);
            for (auto& pdo : side.pdos) {
                const bool allowed = CheckStoredPdoNumber(pdo.number).empty();
                EXPECT_EQ(allowed, pdo.number <= 127);
                if (!allowed) continue;
                const int pos = value++ % 81;
                pdo.entries.push_back(
                    {std::to_string(0x2000 + value), "0x1", PackPoscomp(pos / 9, pos % 9)});
            }
        }
        SaveSdopdo(sdopdo, model);
        StoredPdoModel back;
        ASSERT_TRUE(LoadStoredPdo(sdo, rpdodef, sdopdo, back).empty());
        for (int s = 0; s < 2; ++s)
            for (size_t p = 0; p < model.side[s].pdos.size(); ++p) {
                const auto &a = model.side[s].pdos[p].entries, &b = back.side[s].pdos[p].entries;
                ASSERT_EQ(a.size(), b.size());
                for (size_t e = 0; e < a.size(); ++e)
                    EXPECT_EQ(std::tie(a[e].index, a[e].subindex, a[e].poscomp),
                              std::tie(b[e].index, b[e].subindex, b[e].poscomp));
            }
        // An entry placed past the limit by other means is refused, not written.
        if (count > 127) {
            const std::string saved = ReadText(sdopdo);
            model.side[CanB].pdos[127].entries.push_back({"1", "1", "0"});
            EXPECT_THROW(SaveSdopdo(sdopdo, model), TessaroError);
            EXPECT_EQ(ReadText(sdopdo), saved);
        }
    }
}
