#include "core/editors/AccessMap.h"

#include "TempDir.h"
#include "core/project/Errors.h"

#include <gtest/gtest.h>

namespace {
AccessRow Good() {
    return {"1", "Holding Register", "0", "1", "N", "0", ""};
}

const std::string kRead = "!! [DeviceNet IN --> Serial Read] ";
const std::string kWrite = "!! [Serial Write --> DeviceNet OUT] ";

std::string RowXml(const std::string& attrs) {
    return "<row " + attrs + "/>";
}
const std::string kFullAttrs = "Slave_ID=\"1\" Type=\"Coil Status\" Address_Mod=\"0\" NPoint=\"1\" "
                               "Swap=\"Y\" Address_DeviceNet=\"0\" Mnemonic=\"m\"";
} // namespace

struct BoundsCase {
    const char* name;
    const char* pargen; // null: no file
    AccessBounds expected;
};

class Bounds : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(Bounds, FromPargen) {
    TempDir dir;
    if (GetParam().pargen) WriteText(dir / "pargen.xml", GetParam().pargen);
    EXPECT_EQ(ReadAccessBounds(dir / "pargen.xml"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pargen, Bounds,
    ::testing::Values(
        BoundsCase{"NoFile", nullptr, {455, 455}},
        BoundsCase{"Both",
                   "<Par_Gen><DN_NB_IN>20</DN_NB_IN><DN_NB_OUT>0x10</DN_NB_OUT></Par_Gen>",
                   {20, 16}},
        BoundsCase{"MissingElements", "<Par_Gen><DN_ID>1</DN_ID></Par_Gen>", {455, 455}},
        BoundsCase{"NotNumbers",
                   "<Par_Gen><DN_NB_IN>abc</DN_NB_IN><DN_NB_OUT>7 </DN_NB_OUT></Par_Gen>",
                   {455, 455}},
        BoundsCase{"OnlyOut", "<Par_Gen><DN_NB_OUT>3</DN_NB_OUT></Par_Gen>", {455, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AccessMap, UnreadablePargenThrows) {
    TempDir dir;
    WriteText(dir / "pargen.xml", "<Par_Gen><DN_NB_IN>");
    EXPECT_THROW(ReadAccessBounds(dir / "pargen.xml"), XmlError);
}

struct RowCase {
    const char* name;
    AccessTable table;
    AccessRow row;
    std::optional<std::string> expected; // message after "Error row 1"
};

class RowCheck : public ::testing::TestWithParam<RowCase> {};

TEST_P(RowCheck, FirstFailure) {
    AccessMap map;
    map.rows(GetParam().table).push_back(GetParam().row);
    auto got = CheckAccessMap(map, {20, 30});
    if (GetParam().expected)
        EXPECT_EQ(got, "Error row 1" + *GetParam().expected);
    else
        EXPECT_EQ(got, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RowCheck,
    ::testing::Values(RowCase{"ReadGood", AccessTable::Read, Good(), std::nullopt},
                      RowCase{"ReadSlave0",
                              AccessTable::Read,
                              {"0", "Coil Status", "0", "1", "", "0", ""},
                              kRead + "Slave ID must be between 1 and 250. "},
                      RowCase{"WriteSlave251",
                              AccessTable::Write,
                              {"251", "Coil Status", "0", "1", "", "0", ""},
                              kWrite + "Slave ID must be between 1 and 250. "},
                      RowCase{"ReadSlave250Hex",
                              AccessTable::Read,
                              {"0xFA", "Coil Status", "0", "1", "", "0", ""},
                              std::nullopt},
                      RowCase{"ReadTypeEmpty",
                              AccessTable::Read,
                              {"1", "", "0", "1", "", "0", ""},
                              kRead +
                                  "Type must be Coil Status or Input Status or Holding Register or "
                                  "Input Register. "},
                      RowCase{"WriteTypeEmpty",
                              AccessTable::Write,
                              {"1", "", "0", "1", "", "0", ""},
                              kWrite + "Type must be Coil Status or Holding Register. "},
                      RowCase{"AddressHex",
                              AccessTable::Read,
                              {"1", "Coil Status", "0x10", "1", "", "0", ""},
                              std::nullopt},
                      RowCase{"Address65535",
                              AccessTable::Write,
                              {"1", "Coil Status", "65535", "1", "", "0", ""},
                              std::nullopt},
                      RowCase{"Address65536",
                              AccessTable::Read,
                              {"1", "Coil Status", "65536", "1", "", "0", ""},
                              kRead + "Address Register must be between 0 and 65535. "},
                      RowCase{"NPoint0",
                              AccessTable::Read,
                              {"1", "Coil Status", "0", "0", "", "0", ""},
                              kRead + "Number point must be between 1 and 127. "},
                      RowCase{"NPoint127",
                              AccessTable::Write,
                              {"1", "Coil Status", "0", "127", "", "0", ""},
                              std::nullopt},
                      RowCase{"NPoint128",
                              AccessTable::Write,
                              {"1", "Coil Status", "0", "128", "", "0", ""},
                              kWrite + "Number point must be between 1 and 127. "},
                      RowCase{"ReadAtBound",
                              AccessTable::Read,
                              {"1", "Coil Status", "0", "1", "", "20", ""},
                              std::nullopt},
                      RowCase{"ReadOverBound",
                              AccessTable::Read,
                              {"1", "Coil Status", "0", "1", "", "21", ""},
                              kRead + "Address DeviceNet must be between 0 and 20. "},
                      RowCase{"WriteOwnBound",
                              AccessTable::Write,
                              {"1", "Coil Status", "0", "1", "", "30", ""},
                              std::nullopt},
                      RowCase{"WriteOverBound",
                              AccessTable::Write,
                              {"1", "Coil Status", "0", "1", "", "31", ""},
                              kWrite + "Address DeviceNet must be between 0 and 30. "},
                      RowCase{"DeviceNetEmpty",
                              AccessTable::Read,
                              {"1", "Coil Status", "0", "1", "", "", ""},
                              kRead + "Address DeviceNet must be between 0 and 20. "},
                      RowCase{"MnemonicFree",
                              AccessTable::Read,
                              {"1", "Coil Status", "0", "1", "y", "0", "anything <&>"},
                              std::nullopt},
                      // The image reads any other text than Y as N.
                      RowCase{"SwapYOrN",
                              AccessTable::Read,
                              {"1", "Coil Status", "0", "1", "YES", "0", ""},
                              "!! [DeviceNet IN --> Serial Read] SWAP must be Y or N. "},
                      RowCase{"SlaveBeforeOthers",
                              AccessTable::Read,
                              {"x", "", "-1", "0", "", "99", ""},
                              kRead + "Slave ID must be between 1 and 250. "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AccessMap, AllFailuresReadTableFirstThenRowOrder) {
    AccessMap map;
    map.Out.push_back({"0", "Coil Status", "0", "1", "", "0", ""});
    map.In.push_back(Good());
    map.In.push_back({"1", "", "0", "0", "", "0", ""});
    std::vector<std::string> expected = {
        "Error row 2" + kRead +
            "Type must be Coil Status or Input Status or Holding Register or "
            "Input Register. ",
        "Error row 2" + kRead + "Number point must be between 1 and 127. ",
        "Error row 1" + kWrite + "Slave ID must be between 1 and 250. "};
    EXPECT_EQ(AccessMapFailures(map, {}), expected);
    EXPECT_EQ(CheckAccessMap(map, {}), expected.front());
}

TEST(AccessMap, RunStopsAtFirstEmptySlaveId) {
    TempDir dir;
    AccessMap map;
    for (int i = 0; i < 3; ++i)
        map.In.push_back(Good());
    map.In.push_back({}); // gap
    map.In.push_back({"999", "", "", "", "", "", ""});
    EXPECT_EQ(RunLength(map.In), 3u);
    EXPECT_EQ(CheckAccessMap(map, {}), std::nullopt);
    SaveAccessMap(map, dir / "sdo.xml");
    AccessMap back;
    LoadAccessMap(dir / "sdo.xml", back);
    EXPECT_EQ(back.In.size(), 3u);
    EXPECT_TRUE(back.Out.empty());
}

TEST(AccessMap, LastRowIsChecked) {
    AccessMap map;
    map.Out.assign(AccessMapRows, Good());
    map.Out.back().NPoint = "200";
    EXPECT_EQ(CheckAccessMap(map, {}),
              "Error row 455" + kWrite + "Number point must be between 1 and 127. ");
}

TEST(AccessMap, EmptyMapWritesTwoEmptyTables) {
    EXPECT_EQ(AccessMapXml({}),
              "<Serial_to_ProfiBus><DeviceNet_IN/><DeviceNet_OUT/></Serial_to_ProfiBus>");
}

TEST(AccessMap, AttributesInOrderAndValuesUnchanged) {
    AccessMap map;
    map.In.push_back({" 5", "Input Register", "0x10", "$7F", "", "x1", "a \"b\" & c"});
    map.Out.push_back({"250", "Coil Status", "65535", "127", "Y", "0", ""});
    const std::string xml = AccessMapXml(map);
    EXPECT_EQ(xml, "<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\" 5\" Type=\"Input Register\" "
                   "Address_Mod=\"0x10\" NPoint=\"$7F\" Swap=\"\" Address_DeviceNet=\"x1\" "
                   "Mnemonic=\"a &quot;b&quot; &amp; c\"/></DeviceNet_IN><DeviceNet_OUT><row "
                   "Slave_ID=\"250\" Type=\"Coil Status\" Address_Mod=\"65535\" NPoint=\"127\" "
                   "Swap=\"Y\" Address_DeviceNet=\"0\" Mnemonic=\"\"/></DeviceNet_OUT>"
                   "</Serial_to_ProfiBus>");
    TempDir dir;
    SaveAccessMap(map, dir / "sdo.xml");
    AccessMap back;
    LoadAccessMap(dir / "sdo.xml", back);
    EXPECT_EQ(back.In, map.In);
    EXPECT_EQ(back.Out, map.Out);
}

TEST(AccessMap, WriteRowWithoutTypeOrSwapFallsBack) {
    TempDir dir;
    WriteText(dir / "sdo.xml",
              "<Serial_to_ProfiBus><DeviceNet_IN>" +
                  RowXml("Slave_ID=\"1\" Type=\"Coil Status\" Address_Mod=\"0\" NPoint=\"1\" "
                         "Address_DeviceNet=\"0\" Mnemonic=\"\"") +
                  "</DeviceNet_IN><DeviceNet_OUT>" +
                  RowXml("Slave_ID=\"2\" Address_Mod=\"0\" NPoint=\"1\" Address_DeviceNet=\"0\" "
                         "Mnemonic=\"\"") +
                  "</DeviceNet_OUT></Serial_to_ProfiBus>");
    AccessMap map;
    LoadAccessMap(dir / "sdo.xml", map);
    ASSERT_EQ(map.In.size(), 1u);
    ASSERT_EQ(map.Out.size(), 1u);
    EXPECT_EQ(map.In[0].Swap, "N");
    EXPECT_EQ(map.Out[0].Type, "Holding Register");
    EXPECT_EQ(map.Out[0].Swap, "N");
}

struct BrokenCase {
    const char* name;
    std::string xml;
    size_t inRows;
    size_t outRows;
};

class BrokenLoad : public ::testing::TestWithParam<BrokenCase> {};

// A row without its Mnemonic is read with an empty one: stopping there
// would drop the rows after it on the next save.
TEST(AccessMap, RowWithoutMnemonicReadsAsEmpty) {
    TempDir dir;
    WriteText(dir / "sdo.xml", "<Serial_to_ProfiBus><DeviceNet_IN/><DeviceNet_OUT>" +
                                   RowXml("Slave_ID=\"1\" Address_Mod=\"0\" NPoint=\"1\" "
                                          "Address_DeviceNet=\"0\"") +
                                   RowXml(kFullAttrs) + "</DeviceNet_OUT></Serial_to_ProfiBus>");
    AccessMap map;
    LoadAccessMap(dir / "sdo.xml", map);
    ASSERT_EQ(map.Out.size(), 2u);
    EXPECT_EQ(map.Out[0].Mnemonic, "");
}

TEST_P(BrokenLoad, KeepsRowsReadBeforeError) {
    TempDir dir;
    WriteText(dir / "sdo.xml", GetParam().xml);
    AccessMap map;
    map.In.assign(7, Good()); // stale content from an earlier showing
    EXPECT_THROW(LoadAccessMap(dir / "sdo.xml", map), XmlError);
    EXPECT_EQ(map.In.size(), GetParam().inRows);
    EXPECT_EQ(map.Out.size(), GetParam().outRows);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenLoad,
    ::testing::Values(BrokenCase{"ReadRowWithoutType",
                                 "<Serial_to_ProfiBus><DeviceNet_IN>" + RowXml(kFullAttrs) +
                                     RowXml("Slave_ID=\"1\" Address_Mod=\"0\" NPoint=\"1\" "
                                            "Address_DeviceNet=\"0\" Mnemonic=\"\"") +
                                     RowXml(kFullAttrs) +
                                     "</DeviceNet_IN><DeviceNet_OUT/></Serial_to_ProfiBus>",
                                 1, 0},
                      BrokenCase{"NoWriteTable",
                                 "<Serial_to_ProfiBus><DeviceNet_IN>" + RowXml(kFullAttrs) +
                                     "</DeviceNet_IN></Serial_to_ProfiBus>",
                                 1, 0},
                      BrokenCase{"NoReadTable",
                                 "<Serial_to_ProfiBus><DeviceNet_OUT/></Serial_to_ProfiBus>", 0, 0},
                      BrokenCase{"Malformed", "<Serial_to_ProfiBus><DeviceNet_IN>", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AccessMap, MissingFileGivesEmptyTables) {
    TempDir dir;
    AccessMap map;
    map.Out.push_back(Good());
    LoadAccessMap(dir / "sdo.xml", map);
    EXPECT_TRUE(map.In.empty());
    EXPECT_TRUE(map.Out.empty());
}

TEST(AccessMap, RowsBeyondCapacityIgnored) {
    TempDir dir;
    std::string xml = "<Serial_to_ProfiBus><DeviceNet_IN>";
    for (int i = 0; i < AccessMapRows + 5; ++i)
        xml += RowXml(kFullAttrs);
    xml += "</DeviceNet_IN><DeviceNet_OUT/></Serial_to_ProfiBus>";
    WriteText(dir / "sdo.xml", xml);
    AccessMap map;
    LoadAccessMap(dir / "sdo.xml", map);
    EXPECT_EQ(map.In.size(), static_cast<size_t>(AccessMapRows));
}
