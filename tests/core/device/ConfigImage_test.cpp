#include "core/device/ConfigImage.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>

namespace {

using Bytes = std::vector<uint8_t>;

// The example project: every value as the editors store it.
std::map<std::string, std::string> ExampleParams() {
    return {{"Ser_Baud", "7"},        {"Ser_Par", "0"},
            {"Ser_TO", "1"},          {"Ser_CD", "1"},
            {"Ser_Type", "0"},        {"Ser_Prot", "0"},
            {"Ser_Write_Mode", "1"},  {"DN_ID", "20"},
            {"DN_Baud", "0"},         {"DN_NB_IN", "20"},
            {"DN_NB_OUT", "20"},      {"DN_Enable_Error", "0"},
            {"DN_Num_Cont_Err", "1"}, {"DN_Val_Canc_Data", "0x00"}};
}

const char* const ParamOrder[] = {
    "Ser_Baud",  "Ser_Par",         "Ser_TO",          "Ser_CD",          "Ser_Type",
    "Ser_Prot",  "Ser_Write_Mode",  "DN_ID",           "DN_Baud",         "DN_NB_IN",
    "DN_NB_OUT", "DN_Enable_Error", "DN_Num_Cont_Err", "DN_Val_Canc_Data"};

// Elements missing from the map are left out of the file.
std::string PargenXml(const std::map<std::string, std::string>& p) {
    std::string x = "<Par_Gen>";
    for (const char* name : ParamOrder) {
        auto it = p.find(name);
        if (it != p.end()) x += std::string("<") + name + ">" + it->second + "</" + name + ">";
    }
    return x + "</Par_Gen>";
}

const char* const ExampleIn =
    R"(<row Slave_ID="1" Type="Holding Register" Address_Mod="100" NPoint="2" Swap="N" Address_DeviceNet="0" Mnemonic="m1"/>)";
const char* const ExampleOut =
    R"(<row Slave_ID="2" Type="Coil Status" Address_Mod="10" NPoint="8" Swap="N" Address_DeviceNet="4" Mnemonic="m2"/>)";

std::string SdoXml(const std::string& inRows, const std::string& outRows) {
    return "<Serial_to_ProfiBus><DeviceNet_IN>" + inRows + "</DeviceNet_IN><DeviceNet_OUT>" +
           outRows + "</DeviceNet_OUT></Serial_to_ProfiBus>";
}

struct Folder {
    TempDir dir;
    Folder() { CreateDir(dir / "bin"); }
    void pargen(const std::string& xml) { WriteText(dir / "pargen.xml", xml); }
    void sdo(const std::string& xml) { WriteText(dir / "sdo.xml", xml); }
    Bytes image() const { return BuildImage(dir.path()); }
    Bytes bankFile() const {
        std::string s = ReadText(BankPath(dir.path()));
        return Bytes(s.begin(), s.end());
    }
};

std::string Hex(const Bytes& b) {
    std::ostringstream os;
    for (size_t i = 0; i < b.size(); ++i) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X", b[i]);
        os << (i ? " " : "") << buf;
    }
    return os.str();
}

const std::string Example46 = "08 00 00 00 18 00 00 00 "
                              "01 03 64 00 02 00 00 00 "
                              "02 0A 00 08 04 00 01 00 "
                              "07 00 01 00 01 00 01 00 14 00 14 00 14 00 01 00 01 00 01 00 01 00";

TEST(ConfigImage, WorkedExampleGivesItsFortySixBytes) {
    Folder p;
    p.pargen(PargenXml(ExampleParams()));
    p.sdo(SdoXml(ExampleIn, ExampleOut));
    EXPECT_EQ(Hex(p.image()), Example46);

    WriteImage(p.dir.path(), p.image());
    EXPECT_EQ(Hex(p.bankFile()), Example46);
}

TEST(ConfigImage, ProjectWithoutFilesGivesTheHeaderOnly) {
    Folder p;
    EXPECT_EQ(Hex(p.image()), "08 00 00 00 08 00 00 00");
}

TEST(ConfigImage, PargenOnlyGivesThirtyBytesWithZeroCounts) {
    Folder p;
    p.pargen(PargenXml(ExampleParams()));
    EXPECT_EQ(Hex(p.image()), "08 00 00 00 08 00 00 00 "
                              "07 00 01 00 01 00 01 00 14 00 14 00 14 00 00 00 00 00 01 00 01 00");
}

TEST(ConfigImage, SdoOnlyGivesRecordsWithoutParameterBlock) {
    Folder p;
    p.sdo(SdoXml(std::string(ExampleIn) + ExampleIn, ExampleOut));
    Bytes b = p.image();
    ASSERT_EQ(b.size(), 8u + 8 * 3);
    EXPECT_EQ(bank::Get32(&b[bank::OffParamBlock]), 32);
    EXPECT_EQ(Hex(Bytes(b.begin() + 8, b.begin() + 16)),
              Hex(Bytes(b.begin() + 16, b.begin() + 24)));
}

// One attribute of the read or the write row changed (empty value: attribute left out).
struct RowCase {
    bool writeTable;
    std::string attr;
    std::optional<std::string> value;
    size_t offset; // in the record
    std::string expected;
};

std::string RowWith(const std::string& base, const std::string& attr,
                    const std::optional<std::string>& value) {
    std::string row = base;
    size_t at = row.find(" " + attr + "=\"");
    size_t end = row.find('"', row.find('"', at) + 1);
    row.erase(at, end + 1 - at);
    if (value) row.insert(4, " " + attr + "=\"" + *value + "\"");
    return row;
}

class RowFields : public testing::TestWithParam<RowCase> {};

TEST_P(RowFields, PackAsStated) {
    const RowCase& c = GetParam();
    Folder p;
    p.pargen(PargenXml(ExampleParams()));
    p.sdo(SdoXml(c.writeTable ? ExampleIn : RowWith(ExampleIn, c.attr, c.value),
                 c.writeTable ? RowWith(ExampleOut, c.attr, c.value) : ExampleOut));
    Bytes b = p.image();
    ASSERT_EQ(b.size(), 46u);
    size_t at = 8 + (c.writeTable ? 8 : 0) + c.offset;
    size_t width = c.expected.size() > 2 ? 2 : 1;
    EXPECT_EQ(Hex(Bytes(b.begin() + at, b.begin() + at + width)), c.expected);
}

using namespace bank;
INSTANTIATE_TEST_SUITE_P(
    Cases, RowFields,
    testing::Values(
        RowCase{false, "Type", "coil STATUS", RdType, "01"},
        RowCase{false, "Type", "Coil Status", RdType, "01"},
        RowCase{false, "Type", "input status", RdType, "02"},
        RowCase{false, "Type", "Input Register", RdType, "04"},
        RowCase{false, "Type", "Holding", RdType, "03"}, RowCase{false, "Type", "", RdType, "03"},
        RowCase{true, "Type", "Input Register", WrType, "03"},
        RowCase{true, "Type", "COIL status", WrType, "01"},
        RowCase{true, "Type", std::nullopt, WrType, "03"},
        RowCase{false, "Swap", "y", RdSwap, "01"}, RowCase{false, "Swap", "Y", RdSwap, "01"},
        RowCase{false, "Swap", "YES", RdSwap, "00"}, RowCase{false, "Swap", "", RdSwap, "00"},
        RowCase{false, "Swap", std::nullopt, RdSwap, "00"},
        RowCase{true, "Swap", "y", WrSwap, "01"}, RowCase{true, "Swap", std::nullopt, WrSwap, "00"},
        RowCase{false, "Slave_ID", "300", RdSlaveId, "2C"},
        RowCase{true, "Slave_ID", "0x1FF", WrSlaveId, "FF"},
        RowCase{false, "Address_Mod", "-1", RdAddressMod, "FF FF"},
        RowCase{true, "Address_Mod", "$1234", WrAddressMod, "34 12"},
        RowCase{false, "Address_DeviceNet", " 300", RdAddressDN, "2C 01"},
        RowCase{true, "Address_DeviceNet", "65537", WrAddressDN, "01 00"},
        RowCase{false, "NPoint", "x81", RdNPoint, "81"},
        RowCase{true, "NPoint", "257", WrNPoint, "01"}));

struct ParamCase {
    std::string element;
    std::optional<std::string> value; // nullopt: element left out
    size_t offset;                    // in the parameter block
    std::string expected;
};

class ParamFields : public testing::TestWithParam<ParamCase> {};

TEST_P(ParamFields, PackAsStated) {
    const ParamCase& c = GetParam();
    auto params = ExampleParams();
    if (c.value)
        params[c.element] = *c.value;
    else
        params.erase(c.element);
    Folder p;
    p.pargen(PargenXml(params));
    Bytes b = p.image();
    ASSERT_EQ(b.size(), 30u);
    size_t at = 8 + c.offset;
    size_t width = c.expected.size() > 2 ? 2 : 1;
    EXPECT_EQ(Hex(Bytes(b.begin() + at, b.begin() + at + width)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParamFields,
    testing::Values(
        ParamCase{"Ser_Type", "1", PSerType, "00"}, ParamCase{"Ser_Type", "0", PSerType, "01"},
        ParamCase{"Ser_Type", "5", PSerType, "01"}, ParamCase{"Ser_Prot", "1", PSerProt, "01"},
        ParamCase{"Ser_Prot", "2", PSerProt, "00"}, ParamCase{"Ser_Prot", "3", PSerProt, "00"},
        ParamCase{"Ser_Prot", "4", PSerProt, "01"}, ParamCase{"Ser_Prot", "0x104", PSerProt, "01"},
        ParamCase{"Ser_TO", "10000", PSerTO, "10 27"}, ParamCase{"Ser_CD", "-2", PSerCD, "FE FF"},
        ParamCase{"DN_NB_OUT", "455", PDnNbOut, "C7 01"},
        ParamCase{"DN_Val_Canc_Data", "0xFF", PDnValCancData, "FF"},
        ParamCase{"DN_Val_Canc_Data", "$10", PDnValCancData, "10"},
        ParamCase{"DN_Val_Canc_Data", "abc", PDnValCancData, "00"},
        ParamCase{"DN_Val_Canc_Data", std::nullopt, PDnValCancData, "00"},
        ParamCase{"DN_Num_Cont_Err", std::nullopt, PDnNumContErr, "03"},
        ParamCase{"DN_Num_Cont_Err", "", PDnNumContErr, "03"},
        ParamCase{"DN_Num_Cont_Err", "250", PDnNumContErr, "FA"},
        ParamCase{"Ser_Write_Mode", std::nullopt, PSerWriteMode, "00"},
        ParamCase{"Ser_Write_Mode", "cyclic", PSerWriteMode, "00"},
        ParamCase{"DN_Enable_Error", "1", PDnEnableError, "01"},
        ParamCase{"DN_Enable_Error", std::nullopt, PDnEnableError, "00"}));

TEST(ConfigImage, NoByteComesFromAnEarlierBuildOrAnotherProject) {
    // An ASCII project, then one with an unknown protocol code: the second
    // image gets binary framing, whatever was built before it.
    Folder ascii, unknown;
    auto params = ExampleParams();
    params["Ser_Prot"] = "4";
    ascii.pargen(PargenXml(params));
    params["Ser_Prot"] = "9";
    unknown.pargen(PargenXml(params));
    ASSERT_EQ(ascii.image()[8 + PSerProt], 1);
    const Bytes alone = unknown.image();
    EXPECT_EQ(alone.size(), 30u);
    EXPECT_EQ(alone[8 + PSerProt], 0);
    EXPECT_EQ(ascii.image()[8 + PSerProt], 1);
    EXPECT_EQ(unknown.image(), alone);
}

// A build that must stop: the message that reaches the user.
struct StopCase {
    const char* name;
    std::string pargen; // empty: no file
    std::string sdo;    // empty: no file
    std::string message;
};

class BuildStops : public testing::TestWithParam<StopCase> {};

TEST_P(BuildStops, WithItsMessage) {
    const StopCase& c = GetParam();
    Folder p;
    if (!c.pargen.empty()) p.pargen(c.pargen);
    if (!c.sdo.empty()) p.sdo(c.sdo);
    try {
        p.image();
        FAIL() << "the build went through";
    } catch (const TessaroError& e) {
        EXPECT_EQ(std::string(e.what()), c.message);
    }
}

std::map<std::string, std::string> Without(const char* name) {
    auto p = ExampleParams();
    p.erase(name);
    return p;
}
std::map<std::string, std::string> With(const char* name, const char* value) {
    auto p = ExampleParams();
    p[name] = value;
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildStops,
    testing::Values(
        StopCase{"ReadRowWithoutType", "", SdoXml(RowWith(ExampleIn, "Type", std::nullopt), ""),
                 "Error in sdo.xml: row 1 of DeviceNet_IN has no attribute 'Type'"},
        StopCase{
            "SecondWriteRowWithoutSlave", "",
            SdoXml("", std::string(ExampleOut) + RowWith(ExampleOut, "Slave_ID", std::nullopt)),
            "Error in sdo.xml: row 2 of DeviceNet_OUT has no attribute 'Slave_ID'"},
        StopCase{"SlaveIdNotANumber", "", SdoXml(RowWith(ExampleIn, "Slave_ID", "abc"), ""),
                 "Error in sdo.xml: read table row 1, Slave ID: 'abc' is not a valid integer "
                 "value"},
        StopCase{"NPointTrailingBlank", "", SdoXml("", RowWith(ExampleOut, "NPoint", "8 ")),
                 "Error in sdo.xml: write table row 1, NPoint: '8 ' is not a valid integer "
                 "value"},
        StopCase{"AddressDeviceNetEmpty", "",
                 SdoXml(RowWith(ExampleIn, "Address_DeviceNet", ""), ""),
                 "Error in sdo.xml: read table row 1, Address DeviceNet: '' is not a valid "
                 "integer value"},
        StopCase{
            "EmptySlaveIdAfterGoodRows", "",
            SdoXml(std::string(ExampleIn) + ExampleIn + RowWith(ExampleIn, "Slave_ID", ""), ""),
            "Error in sdo.xml: read table row 3, Slave ID: '' is not a valid integer value"},
        StopCase{"NoWriteList", "", "<Serial_to_ProfiBus><DeviceNet_IN/></Serial_to_ProfiBus>",
                 "Error in sdo.xml: element 'DeviceNet_OUT' not found"},
        StopCase{"NoReadList", "", "<Serial_to_ProfiBus><DeviceNet_OUT/></Serial_to_ProfiBus>",
                 "Error in sdo.xml: element 'DeviceNet_IN' not found"},
        StopCase{"MissingBaud", PargenXml(Without("Ser_Baud")), "",
                 "Error in pargen.xml: element 'Ser_Baud' not found"},
        StopCase{"MissingOutputBytes", PargenXml(Without("DN_NB_OUT")), "",
                 "Error in pargen.xml: element 'DN_NB_OUT' not found"},
        StopCase{"ProtocolNotANumber", PargenXml(With("Ser_Prot", "RTU")), "",
                 "Error in pargen.xml: Ser_Prot: 'RTU' is not a valid integer value"},
        StopCase{"TimeOutEmpty", PargenXml(With("Ser_TO", "")), "",
                 "Error in pargen.xml: Ser_TO: '' is not a valid integer value"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigImage, MalformedDocumentStopsTheBuild) {
    Folder p;
    p.sdo("<Serial_to_ProfiBus><DeviceNet_IN>");
    EXPECT_THROW(p.image(), XmlError);
}

TEST(ConfigImage, TwoBuildsGiveIdenticalFiles) {
    Folder p;
    p.pargen(PargenXml(With("Ser_Prot", "77")));
    p.sdo(SdoXml(std::string(ExampleIn) + ExampleIn, ExampleOut));
    WriteImage(p.dir.path(), p.image());
    Bytes first = p.bankFile();
    WriteImage(p.dir.path(), p.image());
    EXPECT_EQ(p.bankFile(), first);
    EXPECT_EQ(first.size(), 8u + 24 + 22);
}

TEST(ConfigImage, WriteImageMakesAMissingBinFolder) {
    TempDir dir;
    WriteText(dir / "pargen.xml", PargenXml(ExampleParams()));
    WriteImage(dir.path(), BuildImage(dir.path()));
    EXPECT_EQ(ReadText(BankPath(dir.path())).size(), 30u);
}

TEST(ConfigImage, WriteImageReportsABinThatIsAFile) {
    TempDir dir;
    WriteText(dir / "bin", "not a folder");
    EXPECT_THROW(WriteImage(dir.path(), BuildImage(dir.path())), FileError);
}

TEST(ConfigImage, EmptyProjectFolderIsRefused) {
    EXPECT_THROW(WriteImage("", {}), TessaroError);
    EXPECT_THROW(BuildImage(""), TessaroError);
}

std::string Rows(size_t n) {
    std::string s;
    s.reserve(n * 120);
    for (size_t i = 0; i < n; ++i)
        s += ExampleIn;
    return s;
}

TEST(ConfigImage, LargestProjectThatFitsIsBuilt) {
    // 8 + 8 * 12496 + 22 = 99998 bytes.
    Folder p;
    p.pargen(PargenXml(ExampleParams()));
    p.sdo(SdoXml(Rows(12000), Rows(496)));
    const Bytes b = p.image();
    EXPECT_EQ(b.size(), 99998u);
    EXPECT_EQ(bank::Get16(&b[8 + 8 * 12496 + PCountIn]), 12000);
    EXPECT_EQ(bank::Get16(&b[8 + 8 * 12496 + PCountOut]), 496);
}

TEST(ConfigImage, ProjectBeyondCapacityIsRefused) {
    Folder p;
    p.pargen(PargenXml(ExampleParams()));
    p.sdo(SdoXml(Rows(12000), Rows(497)));
    try {
        p.image();
        FAIL() << "an image of 100006 bytes was built";
    } catch (const TessaroError& e) {
        EXPECT_NE(std::string(e.what()).find("100006 bytes"), std::string::npos) << e.what();
    }
}

} // namespace
