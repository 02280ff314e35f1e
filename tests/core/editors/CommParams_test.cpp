#include "core/editors/CommParams.h"

#include "TempDir.h"
#include "WriteFaults.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

#include <functional>
#include <gtest/gtest.h>

namespace {
const char* kDefaultsXml =
    "<Par_Gen><Ser_Baud>7</Ser_Baud><Ser_Par>0</Ser_Par><Ser_TO>1000</Ser_TO>"
    "<Ser_CD>100</Ser_CD><Ser_Type>1</Ser_Type><Ser_Prot>0</Ser_Prot>"
    "<Ser_Write_Mode>0</Ser_Write_Mode><DN_ID>1</DN_ID><DN_Baud>2</DN_Baud>"
    "<DN_NB_IN>455</DN_NB_IN><DN_NB_OUT>455</DN_NB_OUT><DN_Enable_Error>0</DN_Enable_Error>"
    "<DN_Num_Cont_Err>3</DN_Num_Cont_Err><DN_Val_Canc_Data>0x00</DN_Val_Canc_Data></Par_Gen>";

const std::string kTO = "Error!! Serial TimeOut must be between 0 and 10000 mS. ";
const std::string kCD = "Error!! Serial Cyclic Delay must be between 0 and 1000 mS. ";
const std::string kID = "Error!! DeviceNet address must be between 0 and 63. ";
const std::string kIN = "Error!! DeviceNet N Byte IN must be between 0 and 455. ";
const std::string kOUT = "Error!! DeviceNet N Byte OUT must be between 0 and 455. ";
const std::string kNUM = "Error!! Number Continuos Error must be between 1 and 250. ";
const std::string kVAL = "Error!! Value to set to cancel data must be between 0 and 255. ";

// The defaults document with one element's text replaced, or removed when
// `text` is null.
std::string WithElement(const std::string& name, const char* text) {
    std::string xml = kDefaultsXml;
    size_t b = xml.find("<" + name + ">");
    size_t e = xml.find("</" + name + ">") + name.size() + 3;
    std::string repl = text ? "<" + name + ">" + text + "</" + name + ">" : "";
    return xml.replace(b, e - b, repl);
}
} // namespace

TEST(CommParams, DefaultsWrittenOnNewProject) {
    TempDir dir;
    CommParams p;
    LoadCommParams(dir / "pargen.xml", p); // no file: defaults
    SaveCommParams(p, dir / "pargen.xml");
    EXPECT_EQ(ReadText(dir / "pargen.xml"), kDefaultsXml);
}

TEST(CommParams, MissingFileResetsToDefaults) {
    TempDir dir;
    CommParams p;
    p.SerTO = "5";
    p.SerBaud = 1;
    LoadCommParams(dir / "none.xml", p);
    EXPECT_EQ(p, CommParams{});
}

struct CheckCase {
    const char* name;
    std::function<void(CommParams&)> set;
    std::optional<std::string> expected;
};

class CommCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CommCheck, FirstFailure) {
    CommParams p;
    GetParam().set(p);
    EXPECT_EQ(CheckCommParams(p), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, CommCheck,
    ::testing::Values(
        CheckCase{"DefaultsPass", [](CommParams&) {}, std::nullopt},
        CheckCase{"TimeOut10000", [](CommParams& p) { p.SerTO = "10000"; }, std::nullopt},
        CheckCase{"TimeOut10001", [](CommParams& p) { p.SerTO = "10001"; }, kTO},
        CheckCase{"TimeOutEmpty", [](CommParams& p) { p.SerTO = ""; }, kTO},
        CheckCase{"TimeOutTrailingBlank", [](CommParams& p) { p.SerTO = "10 "; }, kTO},
        CheckCase{"TimeOutLeadingBlank", [](CommParams& p) { p.SerTO = "  10"; }, std::nullopt},
        CheckCase{"CyclicDelay1000", [](CommParams& p) { p.SerCD = "1000"; }, std::nullopt},
        CheckCase{"CyclicDelay1001", [](CommParams& p) { p.SerCD = "1001"; }, kCD},
        CheckCase{"CyclicDelayNegative", [](CommParams& p) { p.SerCD = "-1"; }, kCD},
        CheckCase{"Address0x3F", [](CommParams& p) { p.DnId = "0x3F"; }, std::nullopt},
        CheckCase{"Address64", [](CommParams& p) { p.DnId = "64"; }, kID},
        CheckCase{"AddressDollar40", [](CommParams& p) { p.DnId = "$40"; }, kID},
        CheckCase{"NByteIn0", [](CommParams& p) { p.DnNbIn = "0"; }, std::nullopt},
        CheckCase{"NByteIn456", [](CommParams& p) { p.DnNbIn = "456"; }, kIN},
        CheckCase{"NByteOutText", [](CommParams& p) { p.DnNbOut = "ten"; }, kOUT},
        CheckCase{"UncheckedPairIgnored",
                  [](CommParams& p) {
                      p.DnNumContErr = "0";
                      p.DnValCancData = "255";
                  },
                  std::nullopt},
        CheckCase{"CheckedCount0",
                  [](CommParams& p) {
                      p.DnEnableError = true;
                      p.DnNumContErr = "0";
                  },
                  kNUM},
        CheckCase{"CheckedCount250",
                  [](CommParams& p) {
                      p.DnEnableError = true;
                      p.DnNumContErr = "250";
                  },
                  std::nullopt},
        CheckCase{"CheckedValue999",
                  [](CommParams& p) {
                      p.DnEnableError = true;
                      p.DnValCancData = "999";
                  },
                  kVAL},
        CheckCase{"CheckedValue0xFF",
                  [](CommParams& p) {
                      p.DnEnableError = true;
                      p.DnValCancData = "0xFF";
                  },
                  std::nullopt},
        CheckCase{"CheckedValue256",
                  [](CommParams& p) {
                      p.DnEnableError = true;
                      p.DnValCancData = "256";
                  },
                  kVAL}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommParams, AllFailuresInCheckOrder) {
    CommParams p;
    p.DnEnableError = true;
    for (std::string* s :
         {&p.SerTO, &p.SerCD, &p.DnId, &p.DnNbIn, &p.DnNbOut, &p.DnNumContErr, &p.DnValCancData})
        *s = "x";
    std::vector<std::string> expected = {kTO, kCD, kID, kIN, kOUT, kNUM, kVAL};
    EXPECT_EQ(CommParamsFailures(p), expected);
    EXPECT_EQ(CheckCommParams(p), kTO);
    // Off, the pair is not checked against its ranges, but the image still
    // holds each in one byte.
    p.DnEnableError = false;
    expected.resize(5);
    expected.push_back("Error!! Number Continuos Error must be between 0 and 255, also while the "
                       "Modbus error check is off. ");
    expected.push_back("Error!! Value to set to cancel data must be between 0 and 255, also while "
                       "the Modbus error check is off. ");
    EXPECT_EQ(CommParamsFailures(p), expected);
    p.DnNumContErr = "0";
    p.DnValCancData = "0xFF";
    expected.resize(5);
    EXPECT_EQ(CommParamsFailures(p), expected);
}

TEST(CommParams, TypedValuesRoundTripUnchanged) {
    TempDir dir;
    CommParams p;
    p.SerBaud = 0;
    p.SerPar = 2;
    p.SerTO = " 0x10";
    p.SerCD = "$1F";
    p.SerType = 0;
    p.SerProt = 3;
    p.SerWriteMode = 1;
    p.DnId = "0x3F";
    p.DnBaud = 0;
    p.DnNbIn = "20";
    p.DnNbOut = "x1";
    p.DnEnableError = false;
    p.DnNumContErr = "0";
    p.DnValCancData = "999";
    SaveCommParams(p, dir / "pargen.xml");
    CommParams back;
    back.SerTO = "stale";
    LoadCommParams(dir / "pargen.xml", back);
    EXPECT_EQ(back, p);
}

struct LoadCase {
    const char* name;
    std::string xml;
    std::function<bool(const CommParams&)> holds;
};

class CommLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(CommLoad, CodesAndFallbacks) {
    TempDir dir;
    WriteText(dir / "pargen.xml", GetParam().xml);
    CommParams p;
    p.DnId = "stale";
    p.SerWriteMode = 1;
    p.DnEnableError = true;
    ASSERT_NO_THROW(LoadCommParams(dir / "pargen.xml", p));
    EXPECT_TRUE(GetParam().holds(p));
}

INSTANTIATE_TEST_SUITE_P(
    Elements, CommLoad,
    ::testing::Values(LoadCase{"SerTypeOtherIsRs232", WithElement("Ser_Type", "7"),
                               [](const CommParams& p) { return p.SerType == 0; }},
                      LoadCase{"SerProtOtherIsAscii", WithElement("Ser_Prot", "9"),
                               [](const CommParams& p) { return p.SerProt == 4; }},
                      LoadCase{"SerProtNegativeIsAscii", WithElement("Ser_Prot", "-1"),
                               [](const CommParams& p) { return p.SerProt == 4; }},
                      LoadCase{"SerProtHexJbus", WithElement("Ser_Prot", "0x2"),
                               [](const CommParams& p) { return p.SerProt == 2; }},
                      LoadCase{"WriteModeNonZeroIsCyclic", WithElement("Ser_Write_Mode", "5"),
                               [](const CommParams& p) { return p.SerWriteMode == 1; }},
                      LoadCase{"WriteModeTextFallsBack", WithElement("Ser_Write_Mode", "abc"),
                               [](const CommParams& p) { return p.SerWriteMode == 0; }},
                      LoadCase{"WriteModeMissingFallsBack", WithElement("Ser_Write_Mode", nullptr),
                               [](const CommParams& p) { return p.SerWriteMode == 0; }},
                      LoadCase{"DnIdMissingFallsBack", WithElement("DN_ID", nullptr),
                               [](const CommParams& p) { return p.DnId == "1"; }},
                      LoadCase{"DnBaudTextIs500K", WithElement("DN_Baud", "fast"),
                               [](const CommParams& p) { return p.DnBaud == 2; }},
                      LoadCase{"DnBaudMissingIs500K", WithElement("DN_Baud", nullptr),
                               [](const CommParams& p) { return p.DnBaud == 2; }},
                      LoadCase{"NbInMissing", WithElement("DN_NB_IN", nullptr),
                               [](const CommParams& p) { return p.DnNbIn == "455"; }},
                      LoadCase{"NbOutMissing", WithElement("DN_NB_OUT", nullptr),
                               [](const CommParams& p) { return p.DnNbOut == "455"; }},
                      LoadCase{"EnableErrorMissing", WithElement("DN_Enable_Error", nullptr),
                               [](const CommParams& p) { return !p.DnEnableError; }},
                      LoadCase{"EnableErrorTwo", WithElement("DN_Enable_Error", "2"),
                               [](const CommParams& p) { return !p.DnEnableError; }},
                      LoadCase{"EnableErrorOne", WithElement("DN_Enable_Error", "1"),
                               [](const CommParams& p) { return p.DnEnableError; }},
                      LoadCase{"NumContErrMissing", WithElement("DN_Num_Cont_Err", nullptr),
                               [](const CommParams& p) { return p.DnNumContErr == "3"; }},
                      LoadCase{"ValCancMissing", WithElement("DN_Val_Canc_Data", nullptr),
                               [](const CommParams& p) { return p.DnValCancData == "0x00"; }},
                      LoadCase{"EmptyTextKept", WithElement("Ser_TO", ""),
                               [](const CommParams& p) { return p.SerTO.empty(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommParams, MissingStrictElementStopsWithEarlierValuesKept) {
    TempDir dir;
    WriteText(dir / "pargen.xml", WithElement("Ser_Baud", nullptr));
    CommParams p;
    p.SerBaud = 3;
    p.SerTO = "42";
    CommParams before = p;
    EXPECT_THROW(LoadCommParams(dir / "pargen.xml", p), XmlError);
    EXPECT_EQ(p, before);
}

TEST(CommParams, NonNumericProtocolStopsAfterEarlierElements) {
    TempDir dir;
    std::string xml = WithElement("Ser_Prot", "abc");
    xml = xml.replace(xml.find("<Ser_Baud>7"), 11, "<Ser_Baud>4");
    WriteText(dir / "pargen.xml", xml);
    CommParams p;
    p.SerBaud = -1;
    p.SerType = 0;
    p.SerProt = 3;
    p.DnId = "9";
    try {
        LoadCommParams(dir / "pargen.xml", p);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
    EXPECT_EQ(p.SerBaud, 4); // read before the error
    EXPECT_EQ(p.SerType, 1); // read before the error
    EXPECT_EQ(p.SerProt, 3); // kept
    EXPECT_EQ(p.DnId, "9");  // kept
}

TEST(CommParams, MalformedFileThrows) {
    TempDir dir;
    WriteText(dir / "pargen.xml", "<Par_Gen><Ser_Baud>7</Ser_B");
    CommParams p;
    p.SerTO = "77";
    EXPECT_THROW(LoadCommParams(dir / "pargen.xml", p), XmlError);
    EXPECT_EQ(p.SerTO, "77");
}

// A code outside its list is never written as another one: it is reported
// by the checks, naming the field, and the writer refuses it.
TEST(CommParams, PositionOutsideListNeverReplaced) {
    struct Case {
        int CommParams::*field;
        int code;
        const char* message;
    } cases[] = {
        {&CommParams::SerBaud, 8,
         "Error!! Baudrate: the stored value 8 is not in the list; choose one. "},
        {&CommParams::SerBaud, NoListChoice, "Error!! Choose a value for Baudrate. "},
        {&CommParams::SerPar, 3,
         "Error!! Parity: the stored value 3 is not in the list; choose one. "},
        {&CommParams::DnBaud, -1,
         "Error!! Baud rate: the stored value -1 is not in the list; choose one. "},
        {&CommParams::DnBaud, 9,
         "Error!! Baud rate: the stored value 9 is not in the list; choose one. "},
    };
    for (const Case& c : cases) {
        CommParams p;
        p.SerTO = "-5"; // the list comes before the ranges
        p.*c.field = c.code;
        EXPECT_EQ(CommChoiceFailures(p), std::vector<std::string>{c.message});
        EXPECT_EQ(CheckCommParams(p), std::string(c.message));
        EXPECT_THROW(CommParamsXml(p), TessaroError);
    }
    TempDir dir;
    WriteText(dir / "pargen.xml", "<Par_Gen><Ser_Baud>9</Ser_Baud><Ser_Par>0</Ser_Par>"
                                  "<Ser_TO>1</Ser_TO><Ser_CD>1</Ser_CD><Ser_Type>1</Ser_Type>"
                                  "<Ser_Prot>0</Ser_Prot><DN_Baud>-1</DN_Baud></Par_Gen>");
    CommParams p;
    LoadCommParams(dir / "pargen.xml", p);
    EXPECT_EQ(p.SerBaud, 9);
    EXPECT_EQ(p.DnBaud, -1);
    EXPECT_EQ(CommChoiceFailures(p).size(), 2u);
    EXPECT_THROW(SaveCommParams(p, dir / "pargen.xml"), TessaroError);
    EXPECT_NE(ReadText(dir / "pargen.xml").find("<Ser_Baud>9<"), std::string::npos);
}

TEST(CommParams, FailedSaveKeepsPreviousFile) {
    TempDir dir;
    WriteText(dir / "pargen.xml", "<Par_Gen>old</Par_Gen>");
    SetWriteFaultHook([](size_t, size_t) { return false; });
    EXPECT_THROW(SaveCommParams(CommParams{}, dir / "pargen.xml"), XmlError);
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(ReadText(dir / "pargen.xml"), "<Par_Gen>old</Par_Gen>");
}
