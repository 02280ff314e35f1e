#include "core/project/CheckedTable.h"

#include "core/editors/AccessMap.h"
#include "core/family/PdoAccess.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

namespace {
// The failures of one table's rows, at most `limit`.
using Run = std::function<std::vector<std::string>(size_t limit)>;

template <class Row> Run Over(CheckedTable<Row> table, std::vector<Row> rows) {
    return [table = std::move(table), rows = std::move(rows)](size_t limit) {
        std::vector<CheckFailure> found;
        AppendFailures(table, rows, limit, found);
        std::vector<std::string> out;
        for (const CheckFailure& f : found)
            out.push_back(f.message);
        return out;
    };
}

Run Access(AccessTable t, int bound, std::vector<AccessRow> rows) {
    return Over(AccessTableChecks(t, bound), std::move(rows));
}
Run Pdo(PdoSide side, int32_t area, std::vector<PdoAccessRow> rows) {
    return Over(PdoTableChecks(side, area), std::move(rows));
}

const AccessRow kGoodAccess{"1", "Coil Status", "0", "1", "N", "0", ""};
const AccessRow kBadAccess{"0", "", "65536", "128", "N", "21", ""};
const PdoAccessRow kGoodPdo{"$181", "8", "0", ""};
const std::string kRead = "!! [DeviceNet IN --> Serial Read] ";
const std::string kWrite = "!! [Serial Write --> DeviceNet OUT] ";
const std::string kPdoIn = "!! [ProfiBus IN --> Transmit PDO] ";
const std::string kPdoOut = "!! [Recive PDO --> ProfiBub OUT] ";

struct Case {
    const char* name;
    Run run;
    size_t limit;
    std::vector<std::string> expected;
};

class SharedChecks : public ::testing::TestWithParam<Case> {};
} // namespace

TEST_P(SharedChecks, FailuresInRowAndCheckOrder) {
    EXPECT_EQ(GetParam().run(GetParam().limit), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    BothTables, SharedChecks,
    ::testing::Values(
        Case{"AccessAllOfARow",
             Access(AccessTable::Read, 20, {kGoodAccess, kBadAccess}),
             SIZE_MAX,
             {"Error row 2" + kRead + "Slave ID must be between 1 and 250. ",
              "Error row 2" + kRead +
                  "Type must be Coil Status or Input Status or Holding Register or Input "
                  "Register. ",
              "Error row 2" + kRead + "Address Register must be between 0 and 65535. ",
              "Error row 2" + kRead + "Number point must be between 1 and 127. ",
              "Error row 2" + kRead + "Address DeviceNet must be between 0 and 20. "}},
        Case{"AccessLimitCuts",
             Access(AccessTable::Write, 30, {kBadAccess, kBadAccess}),
             2,
             {"Error row 1" + kWrite + "Slave ID must be between 1 and 250. ",
              "Error row 1" + kWrite + "Type must be Coil Status or Holding Register. "}},
        Case{"AccessRunEndsAtEmptySlaveId",
             Access(AccessTable::Read, 455,
                    {kGoodAccess, AccessRow{"", "", "x", "x", "N", "x", ""}, kBadAccess}),
             SIZE_MAX,
             {}},
        Case{"AccessBoundIsInclusive",
             Access(AccessTable::Write, 7,
                    {AccessRow{"250", "Coil Status", "65535", "127", "N", "7", ""}}),
             SIZE_MAX,
             {}},
        Case{"PdoCobIdOutOfRange",
             Pdo(PdoSide::In, 244, {kGoodPdo, {"$800", "9", "300", ""}}),
             1,
             {"Error row 2" + kPdoIn + "CANOpen Cob-Id must be between 0x001 and 0x7FF. "}},
        Case{"PdoOutputCobIdTextHasTwoBlanks",
             Pdo(PdoSide::Out, 244, {{"x", "1", "0", ""}}),
             1,
             {"Error row 1" + kPdoOut + "CANOpen Cob-Id  must be between 0x001 and 0x7FF. "}},
        Case{"PdoSumNamesTheReadTable",
             Pdo(PdoSide::In, 16, {{"$181", "4", "13", ""}}),
             SIZE_MAX,
             {"Error row 1!! [ProfiBus IN --> SDO in Read] Address Profibus plus Dimension is "
              "major of N BYTE IN (16). "}},
        Case{"PdoSumOfOutputTable",
             Pdo(PdoSide::Out, 16, {kGoodPdo, {"$181", "4", "16", ""}}),
             SIZE_MAX,
             {"Error row 2" + kPdoOut +
              "Address Profibus plus Dimension is major of N BYTE OUT (16). "}},
        Case{"PdoSumAtTheAreaEndPasses",
             Pdo(PdoSide::In, 16, {{"$181", "4", "12", ""}, {"", "x", "x", ""}, {"0", "", "", ""}}),
             SIZE_MAX,
             {}},
        Case{"PdoHugeAreaDoesNotWrap",
             Pdo(PdoSide::In, INT32_MAX, {{"$181", "8", "2147483647", ""}}),
             1,
             {"Error row 1!! [ProfiBus IN --> SDO in Read] Address Profibus plus Dimension is "
              "major of N BYTE IN (2147483647). "}}),
    [](const auto& info) { return std::string(info.param.name); });

struct RangeCase {
    const char* text;
    int64_t low, high;
    bool in;
};

TEST(IntegerInRange, TextsAndBounds) {
    const RangeCase cases[] = {{"0", 0, 0, true},         {"$7FF", 1, 2047, true},
                               {"0x800", 1, 2047, false}, {"-1", 0, 10, false},
                               {"", 0, 10, false},        {"1a", 0, 10, false},
                               {" 5", 0, 10, true},       {"-3", -5, -1, true}};
    for (const RangeCase& c : cases)
        EXPECT_EQ(IntegerInRange(c.text, c.low, c.high), c.in) << c.text;
}
