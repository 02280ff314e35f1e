#include "TempDir.h"
#include "WriteFaults.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
TEST(XmlDocument, SavedFileStartsWithRootAndHasNoWhitespace) {
    TempDir dir;
    XmlDocument doc;
    XmlNode root = doc.createRoot("Par_Gen");
    root.append("Ser_Baud").setText("7");
    root.append("DN_ID").setText(" 0x3F");
    XmlNode table = root.append("DeviceNet_IN");
    XmlNode row = table.append("row");
    row.setAttr("Slave_ID", "$1F");
    row.setAttr("Type", "");
    doc.save(dir / "pargen.xml");

    const std::string text = ReadText(dir / "pargen.xml");
    EXPECT_EQ(text, "<Par_Gen><Ser_Baud>7</Ser_Baud><DN_ID> 0x3F</DN_ID>"
                    "<DeviceNet_IN><row Slave_ID=\"$1F\" Type=\"\"/></DeviceNet_IN></Par_Gen>");

    XmlDocument back;
    back.load(dir / "pargen.xml");
    XmlNode r = back.root();
    EXPECT_EQ(r.name(), "Par_Gen");
    EXPECT_EQ(r.child("DN_ID").text(), " 0x3F");
    EXPECT_EQ(ParseInteger(r.child("DN_ID").text()), 63);
    XmlNode backRow = r.child("DeviceNet_IN").child(size_t(0));
    EXPECT_EQ(ParseInteger(backRow.attr("Slave_ID")), 31);
    // Present but empty is empty text; absent is an error.
    EXPECT_EQ(backRow.attr("Type"), "");
    EXPECT_THROW(backRow.attr("Swap"), XmlError);
    EXPECT_FALSE(backRow.findAttr("Swap").has_value());
}

TEST(XmlDocument, RootIsFirstElementDespiteProlog) {
    const char* docs[] = {
        "<?xml version=\"1.0\"?><Par_Gen><A>1</A></Par_Gen>",
        "<!-- c --><?pi x?>\n<Par_Gen>\n  <A>1</A>\n</Par_Gen>",
        "\xEF\xBB\xBF<Par_Gen><A>1</A></Par_Gen>",
    };
    for (const char* text : docs) {
        XmlDocument doc;
        doc.loadString(text);
        EXPECT_EQ(doc.root().name(), "Par_Gen") << text;
        EXPECT_EQ(doc.root().childCount(), 1u) << text;
        EXPECT_EQ(doc.root().child("A").text(), "1") << text;
    }
}

TEST(XmlDocument, NamedChildIsFirstExactMatch) {
    XmlDocument doc;
    doc.loadString("<r><a>1</a><A>2</A><a>3</a></r>");
    EXPECT_EQ(doc.root().child("a").text(), "1");
    EXPECT_EQ(doc.root().child("A").text(), "2");
    EXPECT_THROW(doc.root().child("b"), XmlError);
    EXPECT_EQ(doc.root().child(size_t(2)).text(), "3");
    EXPECT_THROW(doc.root().child(size_t(3)), XmlError);
}

TEST(XmlDocument, MalformedOrMissingFilesRaise) {
    TempDir dir;
    XmlDocument doc;
    EXPECT_THROW(doc.load(dir / "none.xml"), XmlError);
    for (const char* bad : {"", "<a>", "<a></b>", "garbage", "<a x='1' x='2'/>"}) {
        WriteText(dir / "bad.xml", bad);
        EXPECT_THROW(doc.load(dir / "bad.xml"), XmlError) << bad;
    }
}

TEST(XmlDocument, RebuildDropsEarlierContent) {
    XmlDocument doc;
    doc.loadString("<old><x>1</x></old>");
    doc.createRoot("new").append("y").setText("2");
    EXPECT_EQ(doc.toString(), "<new><y>2</y></new>");
}

TEST(XmlDocument, TextIsEscapedAndReadBack) {
    XmlDocument doc;
    XmlNode r = doc.createRoot("r");
    r.setAttr("a", "<&\"'>");
    r.setText("a & b < c");
    XmlDocument back;
    back.loadString(doc.toString());
    EXPECT_EQ(back.root().attr("a"), "<&\"'>");
    EXPECT_EQ(back.root().text(), "a & b < c");
}

TEST(WriteFileAtomic, FailedWriteKeepsPreviousFile) {
    TempDir dir;
    const std::string path = dir / "pargen.xml";
    WriteFileAtomic(path, "old content");

    // A full disk after a few bytes.
    SetWriteFaultHook([](size_t, size_t) { return false; });
    EXPECT_THROW(WriteFileAtomic(path, std::string(3000000, 'x')), FileError);
    SetWriteFaultHook({});
    EXPECT_EQ(ReadText(path), "old content");

    // A folder that cannot be written.
    const std::string ro = dir / "ro";
    ASSERT_TRUE(CreateDir(ro));
    WriteFileAtomic(ro + "/f", "kept");
    chmod(ro.c_str(), 0555);
    if (geteuid() != 0) {
        EXPECT_THROW(WriteFileAtomic(ro + "/f", "new"), FileError);
        EXPECT_EQ(ReadText(ro + "/f"), "kept");
    }
    chmod(ro.c_str(), 0755);

    // A missing folder names the target in the message.
    try {
        WriteFileAtomic(dir / "missing/f", "x");
        FAIL();
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("missing/f"), std::string::npos);
    }
    // No temporary files are left behind.
    int count = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++count;
    }
    EXPECT_EQ(count, 2); // pargen.xml and ro
}

TEST(WriteFileAtomic, FollowsSymlinkAndKeepsIt) {
    TempDir dir;
    TempDir outside;
    WriteText(outside / "victim", "old");
    ASSERT_EQ(chmod((outside / "victim").c_str(), 0600), 0);
    ASSERT_EQ(symlink((outside / "victim").c_str(), (dir / "pargen.xml").c_str()), 0);
    WriteFileAtomic(dir / "pargen.xml", "<Par_Gen/>");
    EXPECT_EQ(ReadText(outside / "victim"), "<Par_Gen/>");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "pargen.xml"));
    EXPECT_EQ(std::filesystem::status(outside / "victim").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}
// Lookups remember where the last one ended; any order, repeats, misses
// and names pugixml could not take as they are must still answer right.
TEST(XmlNode, AttributeLookupsInAnyOrder) {
    const std::string longName(80, 'L');
    XmlDocument doc;
    doc.loadString("<r><row a=\"1\" bb=\"2\" c=\"3\" " + longName + "=\"4\" b=\"5\"/></r>");
    XmlNode row = doc.root().child(size_t(0));
    struct Case {
        std::string name;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"a", "1"}, {"bb", "2"}, {"c", "3"}, {longName, "4"},
        {"b", "5"}, {"a", "1"},  {"b", "5"}, {"bb", "2"},
        {"b", "5"}, {"b", "5"},  {"x", {}},  {"c", "3"},
        {"", {}},   {"bbb", {}}, {"a", "1"}, {std::string("b\0", 2), {}},
        {"B", {}},  {"c", "3"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& k = cases[i];
        EXPECT_EQ(row.findAttr(k.name), k.value) << "lookup " << i << " of '" << k.name << "'";
    }
    // A copy of the node answers the same.
    XmlNode copy = row;
    EXPECT_EQ(copy.findAttr("a"), "1");
    EXPECT_EQ(copy.attr("b"), "5");
    EXPECT_THROW(copy.attr("d"), XmlError);
}

TEST(XmlDocument, RepeatedAttributeAnywhereIsRefused) {
    const char* docs[] = {
        "<r a='1' a='2'/>",
        "<r><x p='1' q='2' r='3' q='4'/></r>",
        "<r><x/><y><z k='1' kk='2' k='3'/></y></r>",
    };
    for (const char* text : docs) {
        XmlDocument doc;
        EXPECT_THROW(doc.loadString(text), XmlError) << text;
    }
    XmlDocument ok;
    EXPECT_NO_THROW(ok.loadString("<r a='1' ab='2' b='3'><x a='1'/><y a='2' b='1'/></r>"));
}
} // namespace

namespace {
// `depth` elements each inside the previous one, text in the innermost.
std::string Nested(const std::string& root, int depth) {
    std::string s = "<" + root + ">";
    s.reserve(size_t(depth) * 7 + 32);
    for (int i = 1; i < depth; ++i)
        s += "<a>";
    s += "7";
    for (int i = 1; i < depth; ++i)
        s += "</a>";
    return s + "</" + root + ">";
}
} // namespace

TEST(XmlDocument, NestingIsBoundedAndRefusedWithTheFileName) {
    struct Case {
        int depth;
        bool accepted;
    };
    for (Case c : {Case{2, true}, Case{MaxDocumentDepth, true}, Case{MaxDocumentDepth + 1, false},
                   Case{100000, false}}) {
        TempDir dir;
        const std::string path = dir / "pargen.xml";
        WriteText(path, Nested("Par_Gen", c.depth));
        XmlDocument doc;
        if (c.accepted) {
            ASSERT_NO_THROW(doc.load(path)) << c.depth;
            // The text of the whole tree, gathered without recursion.
            EXPECT_EQ(doc.root().text(), "7") << c.depth;
            continue;
        }
        try {
            doc.load(path);
            ADD_FAILURE() << c.depth << " levels accepted";
        } catch (const XmlError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(path), std::string::npos) << what;
            EXPECT_NE(what.find("nested deeper than 1000"), std::string::npos) << what;
        }
        EXPECT_THROW(doc.root(), XmlError); // nothing of it kept
    }
}

TEST(XmlNode, TextOfDeepTreeInDocumentOrder) {
    XmlDocument doc;
    doc.loadString("<r>a<x>b<y>c</y>d<![CDATA[e]]></x><z/>f<w><v>g</v></w></r>");
    EXPECT_EQ(doc.root().text(), "abcdefg");
    EXPECT_EQ(doc.root().child("x").text(), "bcde");
    EXPECT_EQ(doc.root().child("z").text(), "");
}

// A file the user may not write is not replaced, root or not: the mode bits
// decide as the user sees them. Every replacement keeps the file's mode, by
// an atomic write or by moving another file over it.
TEST(WriteFileAtomic, ModeOfTheExistingFileDecidesAndIsKept) {
    struct Case {
        mode_t mode;
        bool replaced;
    };
    for (bool move : {false, true})
        for (Case c : {Case{0444, false}, Case{0400, false}, Case{0000, false}, Case{0555, false},
                       Case{0644, true}, Case{0600, true}, Case{0664, true}, Case{0755, true},
                       Case{0200, true}, Case{0620, true}}) {
            TempDir dir;
            const std::string path = dir / "f.xml";
            WriteText(path, "old");
            ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
            const auto replace = [&] {
                if (!move) return WriteFileAtomic(path, "new");
                WriteText(dir / "stage", "new");
                MoveFileOver(dir / "stage", path);
            };
            // Non-root: a file only others may write is not the user's to replace.
            const bool replaced = c.replaced && (geteuid() == 0 || (c.mode & 0200) != 0);
            if (replaced) {
                ASSERT_NO_THROW(replace()) << std::oct << c.mode << " move " << move;
            } else {
                try {
                    replace();
                    ADD_FAILURE() << std::oct << c.mode << " replaced, move " << move;
                } catch (const FileError& e) {
                    EXPECT_EQ(e.code(), EACCES) << std::oct << c.mode;
                }
                if (move) std::filesystem::remove(dir / "stage"); // refused: still there
            }
            struct stat st {};
            ASSERT_EQ(stat(path.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, c.mode) << std::oct << c.mode;
            chmod(path.c_str(), 0600);
            EXPECT_EQ(ReadText(path), replaced ? "new" : "old") << std::oct << c.mode;
            int count = 0;
            for (auto& e : std::filesystem::directory_iterator(dir.path())) {
                (void)e;
                ++count;
            }
            EXPECT_EQ(count, 1) << "temporary file left for " << std::oct << c.mode;
        }
    TempDir dir;
    WriteFileAtomic(dir / "new.xml", "x");
    struct stat st {};
    ASSERT_EQ(stat((dir / "new.xml").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode_t(0644));
}

TEST(XmlDocument, SaveOntoReadOnlyFileIsRefusedAndKeepsIt) {
    TempDir dir;
    const std::string path = dir / "pargen.xml";
    WriteText(path, "<Par_Gen/>");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    XmlDocument doc;
    doc.createRoot("Other");
    try {
        doc.save(path);
        ADD_FAILURE() << "replaced";
    } catch (const XmlError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("Permission denied"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadText(path), "<Par_Gen/>");
}
