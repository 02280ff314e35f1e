#include "TempDir.h"
#include "core/family/PdoAccess.h"
#include "core/project/Errors.h"

#include <gtest/gtest.h>

namespace {
const std::string kInMsg = "!! [ProfiBus IN --> Transmit PDO] ";
const std::string kOutMsg = "!! [Recive PDO --> ProfiBub OUT] ";

TEST(SetPdo, CobIdDisplay) {
    const std::pair<const char*, const char*> cases[] = {
        {"385", "$181"},   {"5", "$005"},       {"abc", "$000"},
        {"", "$000"},      {"0x7ff", "$7FF"},   {"$181", "$181"},
        {"4096", "$1000"}, {"-1", "$FFFFFFFF"}, {"385 ", "$000"}};
    for (auto [in, shown] : cases)
        EXPECT_EQ(CobIdDisplay(in), shown) << in;
}

TEST(SetPdo, AreaSizes) {
    TempDir dir;
    const std::string path = dir / "pargen.xml";
    PdoAreaSizes s = ReadPdoAreaSizes(path);
    EXPECT_EQ(s.in, 244);
    EXPECT_EQ(s.out, 244);

    const std::pair<const char*, std::pair<int, int>> cases[] = {
        {"<Par_Gen><Ser_Baud>7</Ser_Baud></Par_Gen>", {244, 244}},
        {"<Par_Gen><Profi_NB_IN>32</Profi_NB_IN><Profi_NB_OUT>0x10</Profi_NB_OUT></Par_Gen>",
         {32, 16}},
        {"<Par_Gen><Profi_NB_IN>32 </Profi_NB_IN><Profi_NB_OUT>8</Profi_NB_OUT></Par_Gen>",
         {244, 8}},
        {"<Par_Gen><Profi_NB_OUT>100</Profi_NB_OUT></Par_Gen>", {244, 100}},
    };
    for (const auto& [xml, sizes] : cases) {
        WriteText(path, xml);
        s = ReadPdoAreaSizes(path);
        EXPECT_EQ(s.in, sizes.first) << xml;
        EXPECT_EQ(s.out, sizes.second) << xml;
    }
    WriteText(path, "<Par_Gen><Profi_NB_IN>");
    EXPECT_THROW(ReadPdoAreaSizes(path), XmlError);
}

PdoAccessTables OneInRow(const char* cob, const char* dim, const char* pos) {
    PdoAccessTables t;
    t.in.assign(10, PdoAccessRow{});
    t.out.assign(10, PdoAccessRow{});
    t.in[0] = {cob, dim, pos, "x"};
    return t;
}

TEST(SetPdo, ChecksOfOneInputRow) {
    struct Case {
        const char* cob;
        const char* dim;
        const char* pos;
        std::string message; // empty: passes
    };
    const Case cases[] = {
        {"1", "4", "240", ""},
        {"2047", "8", "0", ""},
        {"$181", "1", "243", ""},
        {"0", "1", "0",
         "Error row 1" + kInMsg + "CANOpen Cob-Id must be between 0x001 and 0x7FF. "},
        {"2048", "1", "0",
         "Error row 1" + kInMsg + "CANOpen Cob-Id must be between 0x001 and 0x7FF. "},
        {"abc", "1", "0",
         "Error row 1" + kInMsg + "CANOpen Cob-Id must be between 0x001 and 0x7FF. "},
        {"1", "0", "0", "Error row 1" + kInMsg + "CANOpen Dimension must be between 1 and 8. "},
        {"1", "9", "0", "Error row 1" + kInMsg + "CANOpen Dimension must be between 1 and 8. "},
        {"1", "4", "241",
         "Error row 1!! [ProfiBus IN --> SDO in Read] Address Profibus plus Dimension is major "
         "of N BYTE IN (244). "},
        {"1", "4", "245", "Error row 1" + kInMsg + "Address Profibus must be between 0 and 244. "},
        {"1", "4", "-1", "Error row 1" + kInMsg + "Address Profibus must be between 0 and 244. "},
        {"1", "4", "", "Error row 1" + kInMsg + "Address Profibus must be between 0 and 244. "},
    };
    for (const Case& c : cases) {
        auto m = CheckPdoTables(OneInRow(c.cob, c.dim, c.pos), {});
        EXPECT_EQ(m.value_or(""), c.message) << c.cob << " " << c.dim << " " << c.pos;
    }
}

TEST(SetPdo, OutputTableMessagesAndSizes) {
    PdoAccessTables t;
    t.out = {{"1", "2", "0", ""}, {"0x800", "1", "0", ""}};
    EXPECT_EQ(CheckPdoTables(t, {}).value_or(""),
              "Error row 2" + kOutMsg + "CANOpen Cob-Id  must be between 0x001 and 0x7FF. ");
    t.out[1] = {"3", "12", "0", ""};
    EXPECT_EQ(CheckPdoTables(t, {}).value_or(""),
              "Error row 2" + kOutMsg + "CANOpen Dimension must be between 1 and 8. ");
    t.out[1] = {"3", "2", "17", ""};
    EXPECT_EQ(CheckPdoTables(t, {244, 16}).value_or(""),
              "Error row 2" + kOutMsg + "Address Profibus must be between 0 and 16. ");
    t.out[1] = {"3", "2", "15", ""};
    EXPECT_EQ(CheckPdoTables(t, {244, 16}).value_or(""),
              "Error row 2" + kOutMsg +
                  "Address Profibus plus Dimension is major of N BYTE OUT (16). ");
    EXPECT_FALSE(CheckPdoTables(t, {0, 17}).has_value());
    // The input table is checked first.
    t.in = {{"9999", "1", "0", ""}};
    EXPECT_EQ(CheckPdoTables(t, {244, 16}).value_or(""),
              "Error row 1" + kInMsg + "CANOpen Cob-Id must be between 0x001 and 0x7FF. ");
}

TEST(SetPdo, AreaSizeNearIntegerLimitDoesNotWrap) {
    PdoAccessTables t;
    t.in = {{"1", "8", "2147483647", ""}};
    EXPECT_EQ(CheckPdoTables(t, {2147483647, 244}).value_or(""),
              "Error row 1!! [ProfiBus IN --> SDO in Read] Address Profibus plus Dimension is "
              "major of N BYTE IN (2147483647). ");
}

TEST(SetPdo, EmptyCobIdEndsCheckingAndSaving) {
    PdoAccessTables t;
    t.in = {{"1", "1", "0", "a"}, {"", "99", "999", "b"}, {"5000", "0", "0", "c"}};
    EXPECT_FALSE(CheckPdoTables(t, {}).has_value());
    EXPECT_EQ(PdoRowsToSave(t.in), std::vector<PdoAccessRow>({t.in[0]}));
}

TEST(SetPdo, BadValueInLastOfTenRows) {
    PdoAccessTables t;
    for (int i = 0; i < 10; ++i)
        t.in.push_back({std::to_string(0x181 + i), "2", std::to_string(2 * i), "m"});
    EXPECT_FALSE(CheckPdoTables(t, {}).has_value());
    EXPECT_EQ(PdoRowsToSave(t.in).size(), 10u);
    t.in[9].dimension = "9";
    EXPECT_EQ(CheckPdoTables(t, {}).value_or(""),
              "Error row 10" + kInMsg + "CANOpen Dimension must be between 1 and 8. ");
}

TEST(SetPdo, SaveStopsAtNonPositiveCobId) {
    const std::vector<PdoAccessRow> rows = {
        {"$181", "1", "0", ""}, {"-3", "1", "0", ""}, {"7", "1", "0", ""}};
    EXPECT_EQ(PdoRowsToSave(rows).size(), 1u);
    EXPECT_THROW(PdoRowsToSave({{"x", "1", "0", ""}}), EConvertError);
}

TEST(SetPdo, SaveAndLoadRoundTrip) {
    TempDir dir;
    PdoAccessTables t;
    t.in = {{"$181", "8", "0", "Drive 1"}, {"0x182", " 2", "8", ""}, {"", "", "", ""}};
    t.out = {{"513", "4", "10", "out&<\""}};
    SavePdoFile(dir / "pdo.xml", t);
    EXPECT_EQ(ReadText(dir / "pdo.xml"),
              "<Profibus_to_PDO><Profi_IN_to_TPDO>"
              "<row Cob_Id=\"$181\" Dimension=\"8\" Pos_PRofi=\"0\" Mnemonic=\"Drive 1\"/>"
              "<row Cob_Id=\"0x182\" Dimension=\" 2\" Pos_PRofi=\"8\" Mnemonic=\"\"/>"
              "</Profi_IN_to_TPDO><Profi_OUT_to_TPDO>"
              "<row Cob_Id=\"513\" Dimension=\"4\" Pos_PRofi=\"10\" "
              "Mnemonic=\"out&amp;&lt;&quot;\"/>"
              "</Profi_OUT_to_TPDO></Profibus_to_PDO>");
    PdoAccessTables back;
    LoadPdoFile(dir / "pdo.xml", back);
    ASSERT_EQ(back.in.size(), 2u);
    EXPECT_EQ(back.in[0], (PdoAccessRow{"$181", "8", "0", "Drive 1"}));
    EXPECT_EQ(back.in[1], (PdoAccessRow{"$182", " 2", "8", ""}));
    ASSERT_EQ(back.out.size(), 1u);
    EXPECT_EQ(back.out[0], (PdoAccessRow{"$201", "4", "10", "out&<\""}));
}

TEST(SetPdo, LoadStopsAtRowWithoutAttribute) {
    TempDir dir;
    WriteText(dir / "pdo.xml", "<Profibus_to_PDO><Profi_IN_to_TPDO>"
                               "<row Cob_Id=\"1\" Dimension=\"1\" Pos_PRofi=\"0\" Mnemonic=\"\"/>"
                               "<row Cob_Id=\"2\" Dimension=\"1\" Pos_PRofi=\"0\"/>"
                               "<row Cob_Id=\"3\" Dimension=\"1\" Pos_PRofi=\"0\" Mnemonic=\"\"/>"
                               "</Profi_IN_to_TPDO><Profi_OUT_to_TPDO>"
                               "<row Cob_Id=\"4\" Dimension=\"1\" Pos_PRofi=\"0\" Mnemonic=\"\"/>"
                               "</Profi_OUT_to_TPDO></Profibus_to_PDO>");
    PdoAccessTables t;
    t.out = {{"9", "9", "9", "9"}};
    EXPECT_THROW(LoadPdoFile(dir / "pdo.xml", t), XmlError);
    ASSERT_EQ(t.in.size(), 1u);
    EXPECT_EQ(t.in[0].cobId, "$001");
    EXPECT_TRUE(t.out.empty());
}
} // namespace
