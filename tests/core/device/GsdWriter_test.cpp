#include "core/device/GsdWriter.h"
#include "core/model/Project.h"
#include "core/project/Errors.h"

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
    std::string pargen() const { return dir / "pargen.xml"; }
    std::string target() const { return dir / "out.gsd"; }
    void write(const std::string& path) const { WriteGsd(path, Project::load(dir.path())); }
    void write() const { write(target()); }
    TempDir dir;
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
    write();
    EXPECT_EQ(ReadText(target()), Golden(c.golden));
    const ProfiSizes sizes = ProfiSizesOf(Project::load(dir.path()).params());
    EXPECT_EQ(GsdModuleCount(sizes.in), c.modulesIn);
    EXPECT_EQ(GsdModuleCount(sizes.out), c.modulesOut);
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

// A size that is missing, not an integer or negative is the editors' 244,
// never the size of the project written before.
TEST_F(GsdWriter, SizesComeFromThisProjectAlone) {
    TempDir other;
    WriteText(other / "pargen.xml",
              Pargen("<Profi_NB_IN>100</Profi_NB_IN><Profi_NB_OUT>20</Profi_NB_OUT>"));
    const std::string fallback = ComposeGsd(244, 244);
    const char* bad[] = {"abc", "64 ", "-5", ""};
    for (const char* text : bad) {
        WriteGsd(target(), Project::load(other.path()));
        ASSERT_EQ(ReadText(target()), Golden("in100_out20.gsd"));
        WriteText(pargen(), Pargen(std::string("<Profi_NB_IN>") + text +
                                   "</Profi_NB_IN><Profi_NB_OUT>" + text + "</Profi_NB_OUT>"));
        write();
        EXPECT_EQ(ReadText(target()), fallback) << '"' << text << '"';
    }
    WriteText(pargen(), Pargen("<Profi_NB_OUT>20</Profi_NB_OUT>"));
    write();
    EXPECT_EQ(ReadText(target()), ComposeGsd(244, 20));
}

TEST_F(GsdWriter, WithoutParameterFileTheDefaultSizesAreUsed) {
    TempDir other;
    WriteText(other / "pargen.xml", Pargen("<Profi_NB_IN>65</Profi_NB_IN>"));
    WriteGsd(target(), Project::load(other.path()));
    write();
    EXPECT_EQ(ReadText(target()), ComposeGsd(244, 244));
}

TEST_F(GsdWriter, WritingTwiceGivesIdenticalFiles) {
    WriteText(pargen(), Pargen("<Profi_NB_IN>244</Profi_NB_IN><Profi_NB_OUT>7</Profi_NB_OUT>"));
    write();
    const std::string first = ReadText(target());
    write();
    EXPECT_EQ(ReadText(target()), first);
}

TEST_F(GsdWriter, MalformedParameterFileWritesNothing) {
    WriteText(target(), "previous");
    WriteText(pargen(), "<Par_Gen><Profi_NB_IN>12</Par_Gen>");
    EXPECT_THROW(write(), XmlError);
    EXPECT_EQ(ReadText(target()), "previous");
}

TEST_F(GsdWriter, TargetThatCannotBeCreatedNamesPathAndReason) {
    const std::string path = dir / "missing/out.gsd";
    try {
        write(path);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file \"" + path + "\". No such file or directory");
    }
}

} // namespace
