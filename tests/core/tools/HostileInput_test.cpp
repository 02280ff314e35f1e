// Files a user or a colleague may hand the program that are not what they
// claim to be: a huge XML file, binary garbage as a project document, a
// workbook or a firmware file. Each ends in a clear error or a correct
// result, in bounded memory.
#include "core/device/ConfigImage.h"
#include "core/device/FirmwareComposer.h"
#include "core/editors/AccessMap.h"
#include "core/editors/CommParams.h"
#include "core/family/Spreadsheet.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/XmlDoc.h"
#include "core/tools/XmlTool.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs `work` in a child process and returns its peak resident size in MiB;
// the child's exit code tells whether `work` returned true.
struct ChildRun {
    bool ok = false;
    long peakMiB = 0;
};

ChildRun InChild(const std::function<bool()>& work) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        bool ok = false;
        try {
            ok = work();
        } catch (...) {
        }
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    rusage ru{};
    ChildRun out;
    if (pid > 0 && ::wait4(pid, &status, 0, &ru) == pid) {
        out.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        out.peakMiB = ru.ru_maxrss / 1024;
    }
    return out;
}

// About `megabytes` MB of well-formed XML: a root with many small rows.
std::string HugeXml(size_t megabytes) {
    const std::string row = R"(<row Slave_ID="1" Type="Coil Status" Address_Mod="1"/>)";
    std::string xml = "<Par_Gen><Ser_Baud>7</Ser_Baud>";
    xml.reserve(megabytes << 20);
    while (xml.size() < (megabytes << 20))
        xml += row;
    return xml + "</Par_Gen>";
}

bool Sanitized() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

class HugeFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        WriteFileAtomic(*dir_ / "huge.xml", HugeXml(100));
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static std::string path() { return *dir_ / "huge.xml"; }
    static TempDir* dir_;
};
TempDir* HugeFile::dir_ = nullptr;

TEST_F(HugeFile, XmlToolRefusesWithAClearError) {
    const ChildRun r = InChild([] {
        try {
            ReadXmlFile(path());
            return false;
        } catch (const TessaroError& e) {
            return std::string(e.what()).find("too large") != std::string::npos;
        }
    });
    EXPECT_TRUE(r.ok);
    std::printf("XML tool on 100 MB: peak RSS %ld MiB\n", r.peakMiB);
    if (!Sanitized()) {
        EXPECT_LT(r.peakMiB, 400);
    }
}

TEST_F(HugeFile, ProjectFileRefusedWithAClearError) {
    const ChildRun r = InChild([] {
        CommParams p;
        try {
            LoadCommParams(path(), p);
            return false;
        } catch (const XmlError& e) {
            return std::string(e.what()).find("too large") != std::string::npos;
        }
    });
    EXPECT_TRUE(r.ok);
    std::printf("pargen.xml of 100 MB: peak RSS %ld MiB\n", r.peakMiB);
    if (!Sanitized()) {
        EXPECT_LT(r.peakMiB, 400);
    }
}

TEST_F(HugeFile, ImageBuilderRefusesAHugeProject) {
    TempDir project;
    ASSERT_EQ(::symlink(path().c_str(), (project / "sdo.xml").c_str()), 0);
    const ChildRun r = InChild([&] {
        try {
            BuildImage(project.path());
            return false;
        } catch (const TessaroError&) {
            return true;
        }
    });
    EXPECT_TRUE(r.ok);
    if (!Sanitized()) {
        EXPECT_LT(r.peakMiB, 400);
    }
}

// Binary garbage in every reader: an error of the program's own kind, never
// a crash or another exception.
std::string Garbage(unsigned seed, size_t size) {
    std::mt19937 gen(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = char(gen() & 0xFF);
    return s;
}

TEST(Garbage, ProjectDocumentsGiveReadErrors) {
    TempDir dir;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const std::string bytes = Garbage(seed, 64 + seed * 97);
        WriteText(dir / "pargen.xml", bytes);
        WriteText(dir / "sdo.xml", bytes);
        CommParams p;
        EXPECT_THROW(LoadCommParams(dir / "pargen.xml", p), XmlError) << seed;
        AccessMap map;
        EXPECT_THROW(LoadAccessMap(dir / "sdo.xml", map), XmlError) << seed;
        EXPECT_THROW(BuildImage(dir.path()), TessaroError) << seed;
        EXPECT_THROW(ReadXmlFile(dir / "sdo.xml"), XmlError) << seed;
    }
}

TEST(Garbage, WorkbookGivesSpreadsheetError) {
    TempDir dir;
    // Random bytes, and random bytes behind the compound-file signature.
    const std::string signature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const std::string bytes =
            (seed % 2 ? signature : std::string()) + Garbage(seed, 512 * (1 + seed % 5));
        WriteText(dir / "book.xls", bytes);
        SpreadsheetConnection conn;
        conn.ConnectionString = SpreadsheetConnectionString(dir / "book.xls");
        EXPECT_THROW(conn.Open(), SpreadsheetError) << seed;
        EXPECT_FALSE(conn.Connected());
    }
}

// A workbook found by fuzzing on which FreeXL 1.0.6 reads 18 KB past a stack
// buffer while opening it. It must be refused (or read) without harm to the
// program; under the address sanitizer any read in this process would abort.
TEST(Garbage, WorkbookThatBreaksFreexlIsRefusedOutsideTheProgram) {
    SpreadsheetConnection conn;
    conn.ConnectionString =
        SpreadsheetConnectionString(std::string(TEST_DATA_DIR) + "/xls/freexl_overread.xls");
    try {
        conn.Open();
        (void)conn.GetTableNames(true);
    } catch (const SpreadsheetError& e) {
        EXPECT_NE(std::string(e.what()).find("Not a readable workbook"), std::string::npos);
    }
    if (Sanitized()) {
        EXPECT_FALSE(conn.Connected());
    }
}

TEST(Garbage, FirmwareMergesNothing) {
    TempDir dir;
    FirmwareComposer c;
    std::vector<std::string> messages;
    c.onMessage = [&](const std::string& m) { messages.push_back(m); };
    WriteText(dir / "bank1.bin", std::string(16384, '\x11'));
    c.BinFolder = dir.path() + "/";
    c.NewName = "out.sx";
    for (unsigned seed = 1; seed <= 10; ++seed) {
        WriteText(dir / "garbage.sx", Garbage(seed, 4096));
        const int result = c.MergeBank(0, dir / "out.sx", dir / "garbage.sx");
        // Random bytes hold no S9 record, so the bank is never inserted.
        EXPECT_NE(result, 1) << seed;
    }
}

// XML tool output names with a line break or a control character stay
// unwritten; an output file that is a link to a file outside the project is
// replaced by a file of the project and the linked file is left alone.
TEST(XmlToolOutput, HostileNamesAndLinks) {
    TempDir base;
    const std::string project = base / "proj";
    ASSERT_TRUE(CreateDir(project));
    auto doc = [](const std::string& title) {
        return XmlItem{XmlNodeKind::Document, title, {XmlItem{XmlNodeKind::Element, "r", {}}}};
    };
    for (const char* name : {"File: a\nb.xml", "File: a\rb.xml", "File: evil\x01.xml",
                             "File: \x7F.xml", "File: ../proj/../evil.xml"}) {
        const XmlWriteOutcome out = WriteXmlItems(doc(name), project);
        EXPECT_FALSE(out.written) << name;
        EXPECT_EQ(out.message.rfind("File name not valid: ", 0), 0u) << name;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(project), {}), 0);
    EXPECT_FALSE(FileExists(base / "evil.xml"));

    const std::string outside = base / "outside.xml";
    WriteText(outside, "<kept/>");
    ASSERT_EQ(::symlink(outside.c_str(), (project + "/out.xml").c_str()), 0);
    const XmlWriteOutcome out = WriteXmlItems(doc("File: out.xml"), project);
    EXPECT_TRUE(out.written) << out.message;
    // A link the user made is followed, as for every file written.
    EXPECT_TRUE(std::filesystem::is_symlink(project + "/out.xml"));
    EXPECT_EQ(ReadText(outside), "<r/>");
}

} // namespace
