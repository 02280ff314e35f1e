#include "core/editors/DiagnosisIds.h"

#include "TempDir.h"
#include "core/project/Errors.h"

#include <gtest/gtest.h>

TEST(DiagnosisIds, Labels) {
    EXPECT_EQ(DiagnosisLabel(1), "1 / Byte:0, Bit:0");
    EXPECT_EQ(DiagnosisLabel(8), "8 / Byte:0, Bit:7");
    EXPECT_EQ(DiagnosisLabel(9), "9 / Byte:1, Bit:0");
    EXPECT_EQ(DiagnosisLabel(64), "64 / Byte:7, Bit:7");
}

struct DiagCase {
    const char* name;
    std::vector<std::string> ids;
    std::optional<std::string> expected;
};

class DiagCheck : public ::testing::TestWithParam<DiagCase> {};

TEST_P(DiagCheck, FirstFailure) {
    EXPECT_EQ(CheckDiagnosisIds(GetParam().ids), GetParam().expected);
}

namespace {
const std::string kRow3 = "Error row 3!! Modbus ID must be between 1 and 255. ";
std::vector<std::string> Full(const std::string& last) {
    std::vector<std::string> v(64, "1");
    v.back() = last;
    return v;
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Entries, DiagCheck,
    ::testing::Values(DiagCase{"Empty", {}, std::nullopt},
                      DiagCase{"HexPasses", {"5", "0x0A"}, std::nullopt},
                      DiagCase{"Entry3Is256", {"1", "2", "256"}, kRow3},
                      DiagCase{"Entry3Is0", {"1", "2", "0"}, kRow3},
                      DiagCase{"Entry3Text", {"1", "2", "id"}, kRow3},
                      DiagCase{"Entry255", {"255"}, std::nullopt},
                      DiagCase{"StopsAtGap", {"1", "2", "3", "", "999"}, std::nullopt},
                      DiagCase{"Entry64Checked", Full("300"),
                               "Error row 64!! Modbus ID must be between 1 and 255. "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DiagnosisIds, AllFailuresInEntryOrder) {
    std::vector<std::string> expected = {"Error row 1!! Modbus ID must be between 1 and 255. ",
                                         kRow3};
    EXPECT_EQ(DiagnosisFailures({"0", "7", "-3"}), expected);
}

TEST(DiagnosisIds, SavesRunAsTyped) {
    EXPECT_EQ(DiagnosisXml({}), "<Modbus_IDs/>");
    EXPECT_EQ(DiagnosisXml({"5", " 0x0A", "", "9"}),
              "<Modbus_IDs><ID>5</ID><ID> 0x0A</ID></Modbus_IDs>");
}

TEST(DiagnosisIds, LoadTakesChildrenByPosition) {
    TempDir dir;
    WriteText(dir / "diagnosis.xml",
              "<Modbus_IDs><ID>5</ID><X>0x0A</X><ID></ID><ID>7</ID></Modbus_IDs>");
    std::vector<std::string> ids = {"stale"};
    LoadDiagnosisIds(dir / "diagnosis.xml", ids);
    EXPECT_EQ(ids, (std::vector<std::string>{"5", "0x0A", "", "7"}));
}

TEST(DiagnosisIds, RoundTripAndCapacity) {
    TempDir dir;
    std::vector<std::string> ids(70, "12");
    SaveDiagnosisIds(ids, dir / "diagnosis.xml"); // the run is written whole
    std::vector<std::string> back;
    LoadDiagnosisIds(dir / "diagnosis.xml", back);
    EXPECT_EQ(back.size(), 64u);
}

TEST(DiagnosisIds, MalformedOrMissing) {
    TempDir dir;
    std::vector<std::string> ids = {"1"};
    LoadDiagnosisIds(dir / "none.xml", ids);
    EXPECT_TRUE(ids.empty());
    WriteText(dir / "diagnosis.xml", "<Modbus_IDs><ID>1</ID>");
    EXPECT_THROW(LoadDiagnosisIds(dir / "diagnosis.xml", ids), XmlError);
}
