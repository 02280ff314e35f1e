#include "core/device/GsdWriter.h"
#include "core/project/Errors.h"
#include "core/project/XmlDoc.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Golden(const std::string& name) {
    return ReadText(std::string(TEST_DATA_DIR) + "/gsd/" + name);
}

std::string Pargen(const std::string& children) {
    return "<Par_Gen>" + children + "</Par_Gen>";
}

class GsdWriter : public ::testing::Test {
protected:
    void SetUp() override { ProfiNbIn = ProfiNbOut = ModulesIn = ModulesOut = 0; }
    std::string pargen() const { return dir / "pargen.xml"; }
    std::string target() const { return dir / "out.gsd"; }
    TempDir dir;
    XmlDocument doc;
};

struct GoldenCase {
    const char* in;
    const char* out;
    const char* golden;
    int modulesIn;
    int modulesOut;
};

void PrintTo(const GoldenCase& c, std::ostream* os) {
    *os << c.in << "/" << c.out;
}

class GsdGolden : public GsdWriter, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(GsdGolden, WholeFileMatchesByteForByte) {
    const GoldenCase& c = GetParam();
    WriteText(pargen(), Pargen(std::string("<Ser_Baud>3</Ser_Baud><Profi_NB_IN>") + c.in +
                               "</Profi_NB_IN><Profi_NB_OUT>" + c.out + "</Profi_NB_OUT>"));
    WriteGsd(target(), dir.path(), doc);
    EXPECT_EQ(ReadText(target()), Golden(c.golden));
    EXPECT_EQ(ModulesIn, c.modulesIn);
    EXPECT_EQ(ModulesOut, c.modulesOut);
}

INSTANTIATE_TEST_SUITE_P(Sizes, GsdGolden,
                         ::testing::Values(GoldenCase{"0", "0", "in0_out0.gsd", 0, 0},
                                           GoldenCase{"64", "64", "in64_out64.gsd", 1, 1},
                                           GoldenCase{"65", "0", "in65_out0.gsd", 2, 0},
                                           GoldenCase{"244", "0", "in244_out0.gsd", 4, 0},
                                           GoldenCase{"0", "10", "in0_out10.gsd", 0, 1},
                                           GoldenCase{"100", "20", "in100_out20.gsd", 2, 1},
                                           // Hexadecimal text and a leading blank are integers too.
                                           GoldenCase{" 0x64", "$14", "in100_out20.gsd", 2, 1},
                                           // Ten modules: the number runs on after the fixed "0x0".
                                           GoldenCase{"600", "0", "in600_out0.gsd", 10, 0}));

TEST(GsdModules, CountPerArea) {
    const std::pair<int, int> cases[] = {{0, 0},   {1, 1},   {63, 1},  {64, 1}, {65, 2},
                                         {128, 2}, {129, 3}, {244, 4}, {-5, 0}};
    for (auto [bytes, modules] : cases)
        EXPECT_EQ(GsdModuleCount(bytes), modules) << bytes;
}

TEST_F(GsdWriter, BoxLinesCloseAtColumn85) {
    const std::string text = ComposeGsd(0, 0);
    size_t start = 0;
    int boxLines = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        std::string line = text.substr(start, end - start);
        if (line.rfind(";*", 0) == 0) {
            ++boxLines;
            EXPECT_EQ(line.size(), 85u) << line;
            EXPECT_EQ(line.back(), '*') << line;
        }
        start = end + 2;
    }
    EXPECT_EQ(boxLines, 20);
    EXPECT_NE(text.find(";* Vendor:   "), std::string::npos);
    EXPECT_NE(text.find(".example"), std::string::npos);
}

TEST_F(GsdWriter, MissingInputSizeKeepsThePreviousValue) {
    WriteText(pargen(), Pargen("<Profi_NB_IN>100</Profi_NB_IN><Profi_NB_OUT>20</Profi_NB_OUT>"));
    WriteGsd(target(), dir.path(), doc);
    WriteText(pargen(), Pargen("<Profi_NB_OUT>20</Profi_NB_OUT>"));
    WriteGsd(target(), dir.path(), doc);
    EXPECT_EQ(ProfiNbIn, 100);
    EXPECT_EQ(ReadText(target()), Golden("in100_out20.gsd"));
}

TEST_F(GsdWriter, UnreadableSizesKeepThePreviousValues) {
    ProfiNbIn = 100;
    ProfiNbOut = 20;
    // Not an integer, a trailing blank, and a negative size are all no size.
    const char* bad[] = {"abc", "64 ", "-5", ""};
    for (const char* text : bad) {
        WriteText(pargen(), Pargen(std::string("<Profi_NB_IN>") + text +
                                   "</Profi_NB_IN><Profi_NB_OUT>" + text + "</Profi_NB_OUT>"));
        WriteGsd(target(), dir.path(), doc);
        EXPECT_EQ(ReadText(target()), Golden("in100_out20.gsd")) << '"' << text << '"';
    }
}

TEST_F(GsdWriter, WithoutParameterFileThePreviousSizesAreUsed) {
    WriteGsd(target(), dir.path(), doc);
    EXPECT_EQ(ReadText(target()), Golden("in0_out0.gsd"));
    ProfiNbIn = 65;
    WriteGsd(target(), dir.path(), doc);
    EXPECT_EQ(ReadText(target()), Golden("in65_out0.gsd"));
    EXPECT_EQ(ModulesIn, 0) << "counts are only recomputed from a read file";
}

TEST_F(GsdWriter, WritingTwiceGivesIdenticalFiles) {
    WriteText(pargen(), Pargen("<Profi_NB_IN>244</Profi_NB_IN><Profi_NB_OUT>7</Profi_NB_OUT>"));
    WriteGsd(target(), dir.path(), doc);
    const std::string first = ReadText(target());
    WriteGsd(target(), dir.path(), doc);
    EXPECT_EQ(ReadText(target()), first);
}

TEST_F(GsdWriter, MalformedParameterFileWritesNothing) {
    WriteText(target(), "previous");
    WriteText(pargen(), "<Par_Gen><Profi_NB_IN>12</Par_Gen>");
    EXPECT_THROW(WriteGsd(target(), dir.path(), doc), XmlError);
    EXPECT_EQ(ReadText(target()), "previous");
}

TEST_F(GsdWriter, TargetThatCannotBeCreatedNamesPathAndReason) {
    const std::string path = dir / "missing/out.gsd";
    try {
        WriteGsd(path, dir.path(), doc);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file \"" + path + "\". No such file or directory");
    }
}

} // namespace
