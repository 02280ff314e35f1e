#include "core/editors/ByteMap.h"
#include "core/editors/ProjectCheck.h"

#include "TempDir.h"
#include "WorkedExample.h"
#include "core/project/FileSystem.h"

#include <gtest/gtest.h>

// Readable failures.
void PrintTo(const Finding& f, std::ostream* os) {
    *os << FindingLine(f);
}

namespace {
AccessRow Row(const char* type, const char* points, const char* at, const char* mnemonic = "") {
    return {"1", type, "100", points, "N", at, mnemonic};
}

std::string Pargen(int in, int out) {
    return "<Par_Gen><Ser_Baud>7</Ser_Baud><Ser_Par>0</Ser_Par><Ser_TO>1</Ser_TO>"
           "<Ser_CD>1</Ser_CD><Ser_Type>0</Ser_Type><Ser_Prot>0</Ser_Prot><DN_ID>1</DN_ID>"
           "<DN_NB_IN>" +
           std::to_string(in) + "</DN_NB_IN><DN_NB_OUT>" + std::to_string(out) +
           "</DN_NB_OUT></Par_Gen>";
}

std::string SdoRow(const AccessRow& r) {
    return "<row Slave_ID=\"" + r.SlaveId + "\" Type=\"" + r.Type + "\" Address_Mod=\"" +
           r.AddressMod + "\" NPoint=\"" + r.NPoint + "\" Swap=\"N\" Address_DeviceNet=\"" +
           r.AddressDeviceNet + "\" Mnemonic=\"" + r.Mnemonic + "\"/>";
}

std::string Sdo(const std::vector<AccessRow>& in, const std::vector<AccessRow>& out = {}) {
    std::string x = "<Serial_to_ProfiBus><DeviceNet_IN>";
    for (const auto& r : in)
        x += SdoRow(r);
    x += "</DeviceNet_IN><DeviceNet_OUT>";
    for (const auto& r : out)
        x += SdoRow(r);
    return x + "</DeviceNet_OUT></Serial_to_ProfiBus>";
}

std::vector<Finding> Of(const std::vector<Finding>& all, Severity s) {
    std::vector<Finding> out;
    for (const auto& f : all)
        if (f.severity == s) out.push_back(f);
    return out;
}
} // namespace

// Bytes per row and where the row lies against its area.
struct LayoutCase {
    const char* name;
    int area;
    std::vector<AccessRow> rows;
    std::vector<std::vector<int>> users; // expected users of every byte
    std::vector<Finding> warnings;
};

class Layout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, BytesAndWarnings) {
    const LayoutCase& c = GetParam();
    ByteMap m = ComputeByteMap(c.rows, AccessTable::Read, c.area);
    EXPECT_EQ(m.users, c.users);
    EXPECT_EQ(Of(ByteMapFindings(m), Severity::Warning), c.warnings);
}

namespace {
using U = std::vector<std::vector<int>>;
U Fill(int n, std::vector<int> who) {
    return U(static_cast<size_t>(n), who);
}
U Cat(U a, const U& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Finding Warn(int row, std::string message) {
    return {Severity::Warning, "sdo.xml", "read", row, "Address DeviceNet", std::move(message)};
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    ByteMap, Layout,
    ::testing::Values(
        LayoutCase{"TwoRegisterRowsOverlap",
                   8,
                   {Row("Holding Register", "2", "0", "T1"), Row("Input Register", "2", "2")},
                   Cat(Cat(Fill(2, {1}), Fill(2, {1, 2})), Cat(Fill(2, {2}), Fill(2, {}))),
                   {Warn(2, "Row 2 shares DeviceNet bytes 2 to 3 with row 1 (slave 1, Holding "
                            "Register, address 100, T1).")}},
        LayoutCase{"NineCoilsAtTheLastByteTakeTwo",
                   4,
                   {Row("Coil Status", "9", "3")},
                   Cat(Fill(3, {}), Fill(2, {1})),
                   {Warn(1, "Row 1 uses DeviceNet bytes 3 to 4, past the 4 bytes of N Byte IN.")}},
        LayoutCase{"EightInputsFitOneByte", 1, {Row("Input Status", "8", "0")}, Fill(1, {1}), {}},
        LayoutCase{
            "TwoRegistersAt63Of64",
            64,
            {Row("Holding Register", "2", "63")},
            Cat(Fill(63, {}), Fill(4, {1})),
            {Warn(1, "Row 1 uses DeviceNet bytes 63 to 66, past the 64 bytes of N Byte IN.")}},
        LayoutCase{"StartAtTheBoundIsPastTheEnd",
                   2,
                   {Row("coil status", "1", "2")}, // the type matches in any case
                   Cat(Fill(2, {}), Fill(1, {1})),
                   {Warn(1, "Row 1 uses DeviceNet byte 2, past the 2 bytes of N Byte IN.")}},
        LayoutCase{"ThirdRowNamesBothEarlierOnes",
                   5,
                   {Row("Holding Register", "1", "0"), Row("Holding Register", "1", "2"),
                    Row("Holding Register", "2", "1")},
                   {{1}, {1, 3}, {2, 3}, {2, 3}, {3}},
                   {Warn(3, "Row 3 shares DeviceNet byte 1 with row 1 (slave 1, Holding Register, "
                            "address 100); bytes 2 to 3 with row 2 (slave 1, Holding Register, "
                            "address 100).")}},
        LayoutCase{"UnparsableAndOutOfRangeRowsLeftOut",
                   4,
                   {Row("Holding Register", "x", "0"), Row("Holding Register", "1", "-1"),
                    Row("Holding Register", "128", "0"), Row("Holding Register", "1", "5"),
                    Row("Holding Register", "1", "0x2")},
                   {{}, {}, {5}, {5}},
                   {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ByteMap, UnusedBytesAreOneInfoPerDirection) {
    std::vector<AccessRow> rows = {Row("Holding Register", "1", "2"), Row("Coil Status", "3", "6")};
    auto infos = Of(ByteMapFindings(ComputeByteMap(rows, AccessTable::Write, 10)), Severity::Info);
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0], (Finding{Severity::Info, "sdo.xml", "write", 0, "",
                                 "7 of the 10 bytes of N Byte OUT are used by no row: 0-1, 4-5, "
                                 "7-9."}));
    // A huge N Byte is an error of pargen.xml; the map stays at the largest area.
    EXPECT_EQ(ComputeByteMap(rows, AccessTable::Read, 1 << 30).users.size(), 455u);
}

TEST(ProjectCheck, EmptyProjectHasNoCommunicationParameters) {
    TempDir dir;
    auto f = CheckProjectFolder(dir.path());
    auto errors = Of(f, Severity::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0],
              (Finding{Severity::Error, "pargen.xml", "", 0, "", "no communication parameters"}));
    EXPECT_EQ(Of(f, Severity::Info).size(), 2u); // both areas, all 455 bytes unused
}

TEST(ProjectCheck, EditorMessagesPlacedOnTheirCells) {
    TempDir dir;
    WriteText(dir / "pargen.xml", "<Par_Gen><Ser_Baud>7</Ser_Baud><Ser_Par>0</Ser_Par>"
                                  "<Ser_TO>20000</Ser_TO><Ser_CD>1</Ser_CD><Ser_Type>0</Ser_Type>"
                                  "<Ser_Prot>0</Ser_Prot><DN_NB_IN>4</DN_NB_IN></Par_Gen>");
    WriteText(dir / "sdo.xml", Sdo({Row("Holding Register", "1", "0"),
                                    {"1", "Holding Register", "z", "1", "N", "9", ""}}));
    WriteText(dir / "diagnosis.xml", "<Modbus_IDs><ID>1</ID><ID>0</ID></Modbus_IDs>");
    const std::string head = "Error row 2!! [DeviceNet IN --> Serial Read] ";
    // The elements the image cannot be built without, then the editor's checks.
    std::vector<Finding> expected = {
        {Severity::Error, "pargen.xml", "", 0, "Baud rate",
         "Error!! Baud rate: pargen.xml has no element DN_Baud. "},
        {Severity::Error, "pargen.xml", "", 0, "ID Dev.",
         "Error!! ID Dev.: pargen.xml has no element DN_ID. "},
        {Severity::Error, "pargen.xml", "", 0, "N Byte OUT",
         "Error!! N Byte OUT: pargen.xml has no element DN_NB_OUT. "},
        {Severity::Error, "pargen.xml", "", 0, "TimeOut",
         "Error!! Serial TimeOut must be between 0 and 10000 mS. "},
        {Severity::Error, "sdo.xml", "read", 2, "Address Register",
         head + "Address Register must be between 0 and 65535. "},
        {Severity::Error, "sdo.xml", "read", 2, "Address DeviceNet",
         head + "Address DeviceNet must be between 0 and 4. "},
        {Severity::Error, "diagnosis.xml", "ids", 2, "Modbus Slave ID",
         "Error row 2!! Modbus ID must be between 1 and 255. "},
    };
    EXPECT_EQ(Of(CheckProjectFolder(dir.path()), Severity::Error), expected);
}

TEST(ProjectCheck, BrokenFilesAreErrorsNeverCrashes) {
    const std::vector<std::pair<const char*, std::string>> files = {
        {"pargen.xml", ""},
        {"pargen.xml", "\x01\x02<Par_Gen>"},
        {"pargen.xml", "<Par_Gen/>"},
        {"sdo.xml", "<Serial_to_ProfiBus><DeviceNet_IN><row/></DeviceNet_IN>"},
        {"sdo.xml", "<Serial_to_ProfiBus/>"},
        {"diagnosis.xml", "<<<"},
    };
    for (const auto& [file, text] : files) {
        TempDir dir;
        WriteText(dir / "pargen.xml", Pargen(8, 8));
        WriteText(dir / file, text);
        auto errors = Of(CheckProjectFolder(dir.path()), Severity::Error);
        ASSERT_FALSE(errors.empty()) << file << ": " << text;
        EXPECT_EQ(errors.back().file, file) << text;
    }
}

TEST(ProjectCheck, ByteCountsComeFromTheOneReadingOfPargen) {
    // Ser_Par is missing, so the parameters stop reading early; the byte
    // counts still hold for the layout.
    TempDir dir;
    WriteText(dir / "pargen.xml",
              "<Par_Gen><Ser_Baud>7</Ser_Baud><DN_NB_IN>2</DN_NB_IN><DN_NB_OUT>2</DN_NB_OUT>"
              "</Par_Gen>");
    WriteText(dir / "sdo.xml", Sdo({Row("Holding Register", "2", "0")}));
    auto f = CheckProjectFolder(dir.path());
    ASSERT_EQ(Of(f, Severity::Warning).size(), 1u);
    EXPECT_EQ(Of(f, Severity::Warning)[0].message,
              "Row 1 uses DeviceNet bytes 0 to 3, past the 2 bytes of N Byte IN.");
    EXPECT_TRUE(HasErrors(f));
}

TEST(Finding, LineAndJson) {
    Finding f{Severity::Warning, "sdo.xml", "read", 3, "Address DeviceNet", "a \"b\"\n"};
    // One finding, one line: the line break is written as \n.
    EXPECT_EQ(FindingLine(f), "sdo.xml:read:3:Address DeviceNet: warning: a \"b\"\\n");
    EXPECT_EQ(
        FindingsJson({f}),
        "[\n  {\"severity\": \"warning\", \"file\": \"sdo.xml\", \"table\": \"read\", "
        "\"row\": 3, \"column\": \"Address DeviceNet\", \"message\": \"a \\\"b\\\"\\n\"}\n]\n");
    EXPECT_EQ(FindingsJson({}), "[]\n");
    EXPECT_EQ(FindingSummary({3, 1, 5}), "3 errors, 1 warning");
    EXPECT_EQ(FindingSummary({1, 0, 2}), "1 error");
    EXPECT_EQ(FindingSummary({0, 0, 2}), "No errors");
}
