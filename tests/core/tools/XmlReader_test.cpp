#include "core/project/Errors.h"
#include "core/tools/XmlReader.h"

#include <functional>
#include <iterator>
#include <gtest/gtest.h>

namespace {

using K = XmlNodeKind;

std::string ErrorOf(std::string_view text) {
    try {
        ReadXml(text);
    } catch (const XmlError& e) {
        return e.what();
    }
    return "(no error)";
}

XmlReaderNode RootOf(const XmlReaderNode& doc) {
    for (const auto& c : doc.children)
        if (c.kind == K::Element) return c;
    throw std::runtime_error("no root");
}

struct ErrorCase {
    const char* input;
    const char* message;
};

class ReaderErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ReaderErrors, GivesTheMessage) {
    EXPECT_EQ(ErrorOf(GetParam().input), GetParam().message) << "input: " << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    EveryMessage, ReaderErrors,
    ::testing::Values(
        ErrorCase{"<a", "Unexpected end of data"}, ErrorCase{"<a x='1", "Unexpected end of data"},
        ErrorCase{"<a x", "Unexpected end of data"},
        ErrorCase{"<a><!-- never closed", "Unexpected end of data"},
        ErrorCase{"<a><![CDATA[open", "Unexpected end of data"},
        ErrorCase{"<a>x &amp", "Unexpected end of data"},
        ErrorCase{"<a></a", "Unexpected end of data"}, ErrorCase{"<a><", "Unexpected end of data"},
        ErrorCase{"<?xml version='1.0'", "Unexpected end of data"},
        ErrorCase{"", "Missing element"}, ErrorCase{"  \r\n\t ", "Missing element"},
        ErrorCase{"<!-- only a comment -->", "Missing element"},
        ErrorCase{"just text", "Missing element"}, ErrorCase{"<1a/>", "Missing element"},
        ErrorCase{"<a>< b/></a>", "Missing element"},
        ErrorCase{"<!DOCTYPE a><a/>", "DocTypeDecl parsing not yet implemented"},
        ErrorCase{"<?xml version=\"1.0\"?>\n<!-- c -->\n<!DOCTYPE a [<!ENTITY e 'x'>]><a/>",
                  "DocTypeDecl parsing not yet implemented"},
        ErrorCase{"<a x/>", "Equals sign missing in attribute"},
        ErrorCase{"<a x y='1'/>", "Equals sign missing in attribute"},
        ErrorCase{"<a x=1/>", "Attribute \"x\" missing value"},
        ErrorCase{"<a first='1' second = >", "Attribute \"second\" missing value"},
        ErrorCase{"<a x='1<2'/>", "Invalid character \"<\" in attribute value"},
        ErrorCase{"<a x='1'>", "No ending tag for a"},
        ErrorCase{"<a/ >", "Tag not terminated properly"},
        ErrorCase{"<a x='1'?>", "Tag not terminated properly"},
        ErrorCase{"<a>text", "No ending tag for a"}, ErrorCase{"<a><b></b>", "No ending tag for a"},
        ErrorCase{"<a></b>", "End tag name \"b\" does not match start tag name \"a\""},
        ErrorCase{"<a><b></a></b>", "End tag name \"a\" does not match start tag name \"b\""},
        ErrorCase{"<a></a x>", "End tag missing \">\""},
        ErrorCase{"<a></a/>", "End tag missing \">\""},
        ErrorCase{"<a>x ]]> y</a>", "Character data cannot contain \"]]>\""},
        ErrorCase{"<a><!-- x ---></a>", "Comments cannot end in \"--->\""},
        ErrorCase{"<!----->\n<a/>", "Comments cannot end in \"--->\""},
        ErrorCase{"<a/><!-- trailing ---->", "Comments cannot end in \"--->\""},
        ErrorCase{"<? x?><a/>", "Processing instruction does not contain valid name"},
        ErrorCase{"<a><?1x?></a>", "Processing instruction does not contain valid name"},
        ErrorCase{"<a><?x*y?></a>", "Processing instruction does not contain valid name"},
        ErrorCase{"<!-- c --><?xml version='1.0'?><a/>",
                  "Processing instruction cannot have the reserved name \"xml\""},
        ErrorCase{"<a><?xml x?></a>",
                  "Processing instruction cannot have the reserved name \"xml\""},
        ErrorCase{"<a><?pi data</a>", "Unterminated processing instruction"},
        ErrorCase{"<a><?pi", "Unterminated processing instruction"},
        ErrorCase{"<?xml version='1.0'><a/>", "XML declaration not terminated with \"?>\""},
        ErrorCase{"<?xml version='1.0' ?x><a/>", "XML declaration not terminated with \"?>\""},
        ErrorCase{"<a>&nbsp;</a>", "Unrecognized reference"},
        ErrorCase{"<a x='&;'/>", "Unrecognized reference"},
        ErrorCase{"<a>&AMP;</a>", "Unrecognized reference"},
        ErrorCase{"<a>&#12a;</a>", "Invalid integer in reference &#12a;"},
        ErrorCase{"<a>&#;</a>", "Invalid integer in reference &#;"},
        ErrorCase{"<a x='&#xZZ;'/>", "Invalid integer in reference &#xZZ;"},
        ErrorCase{"<a>&#x;</a>", "Invalid integer in reference &#x;"},
        ErrorCase{"<a>&#-5;</a>", "Invalid integer in reference &#-5;"},
        ErrorCase{"<a>&#X41;</a>", "Invalid integer in reference &#X41;"}));

// A character reference gives the low eight bits of its number as one byte,
// whatever the number.
struct RefCase {
    const char* ref;
    unsigned char byte;
};

class CharacterReference : public ::testing::TestWithParam<RefCase> {};

TEST_P(CharacterReference, LowEightBits) {
    const std::string ref = GetParam().ref;
    const std::string expected(1, char(GetParam().byte));
    EXPECT_EQ(RootOf(ReadXml("<a>x" + ref + "y</a>")).value, "x" + expected + "y") << ref;
    EXPECT_EQ(RootOf(ReadXml("<a t='" + ref + "'/>")).children.at(0).value, expected) << ref;
}

INSTANTIATE_TEST_SUITE_P(Numbers, CharacterReference,
                         ::testing::Values(RefCase{"&#65;", 0x41}, RefCase{"&#x41;", 0x41},
                                           RefCase{"&#233;", 0xE9}, RefCase{"&#xe9;", 0xE9},
                                           RefCase{"&#8364;", 0xAC}, RefCase{"&#x20AC;", 0xAC},
                                           RefCase{"&#256;", 0x00}, RefCase{"&#xD800;", 0x00},
                                           RefCase{"&#xDFFF;", 0xFF}, RefCase{"&#x10FFFF;", 0xFF},
                                           RefCase{"&#x110041;", 0x41},
                                           RefCase{"&#99999999999999999999;", 0xFF},
                                           RefCase{"&#x0000000000000000000041;", 0x41}));

TEST(XmlReader, LatinByteThenEuroReference) {
    EXPECT_EQ(RootOf(ReadXml("<a>\xE9&#8364;</a>")).value, "\xE9\xAC");
}

TEST(XmlReader, PargenLikeDocument) {
    XmlReaderNode doc =
        ReadXml("<Par_Gen><Ser_Baud>7</Ser_Baud><DN_ID>63</DN_ID><Empty/></Par_Gen>");
    EXPECT_EQ(doc.kind, K::Document);
    ASSERT_EQ(doc.children.size(), 1u);
    const auto& root = doc.children[0];
    EXPECT_EQ(root.kind, K::Element);
    EXPECT_EQ(root.name, "Par_Gen");
    EXPECT_EQ(root.value, "");
    ASSERT_EQ(root.children.size(), 3u);
    EXPECT_EQ(root.children[0].name, "Ser_Baud");
    EXPECT_EQ(root.children[0].value, "7");
    EXPECT_EQ(root.children[1].value, "63");
    EXPECT_EQ(root.children[2].name, "Empty");
    EXPECT_TRUE(root.children[2].children.empty());
}

TEST(XmlReader, CharacterAfterReferenceIsKept) {
    XmlReaderNode doc =
        ReadXml("<a v='a&amp;b' w=\"&lt;&gt;&quot;&apos;x\">1&amp;2&#65;3&#x42;4</a>");
    const auto& a = RootOf(doc);
    ASSERT_EQ(a.children.size(), 2u);
    EXPECT_EQ(a.children[0].kind, K::Attribute);
    EXPECT_EQ(a.children[0].value, "a&b");
    EXPECT_EQ(a.children[1].value, "<>\"'x");
    EXPECT_EQ(a.value, "1&2A3B4");
}

TEST(XmlReader, NumericReferences) {
    // The low eight bits as one byte, above 255 too.
    EXPECT_EQ(RootOf(ReadXml("<a>&#233;</a>")).value, "\xE9");
    EXPECT_EQ(RootOf(ReadXml("<a>&#x20AC;</a>")).value, "\xAC");
    EXPECT_EQ(RootOf(ReadXml("<a>x&#0;y</a>")).value, std::string("x\0y", 3));
}

TEST(XmlReader, ValuesAreTrimmedOnlyAtTheEnds) {
    XmlReaderNode mixed = ReadXml("<a>\r\n\t  one  <b/>  two \n</a>");
    EXPECT_EQ(RootOf(mixed).value, "one    two");
    XmlReaderNode doc = ReadXml("<a>\n  <b>1</b>\n  <c>2</c>\n</a>");
    const auto& holder = RootOf(doc);
    EXPECT_EQ(holder.value, "");
    ASSERT_EQ(holder.children.size(), 2u);
}

TEST(XmlReader, CdataIsKeptUnchanged) {
    const auto& a = RootOf(ReadXml("<a>x<![CDATA[ <b>&amp; ]]]]>y</a>"));
    EXPECT_EQ(a.value, "x <b>&amp; ]]y");
    EXPECT_TRUE(a.children.empty());
}

TEST(XmlReader, DeclarationProcessingInstructionsAndComments) {
    XmlReaderNode doc =
        ReadXml("<?xml version=\"1.0\" encoding='ISO-8859-1'?>\n<!-- head -->\n"
                "<?style   href=\"x.css\" ?>\n<root a='1'><?inner?><!-- skip --><c/></root>\n"
                "<?tail t?>\n<!-- end -->\nignored <garbage");
    ASSERT_EQ(doc.children.size(), 4u);
    const auto& decl = doc.children[0];
    EXPECT_EQ(decl.kind, K::Declaration);
    ASSERT_EQ(decl.children.size(), 2u);
    EXPECT_EQ(decl.children[0].name, "version");
    EXPECT_EQ(decl.children[0].value, "1.0");
    EXPECT_EQ(decl.children[1].name, "encoding");
    EXPECT_EQ(decl.children[1].value, "ISO-8859-1");
    EXPECT_EQ(doc.children[1].kind, K::ProcessingInstruction);
    EXPECT_EQ(doc.children[1].name, "style");
    EXPECT_EQ(doc.children[1].value, "href=\"x.css\" ");
    const auto& root = doc.children[2];
    ASSERT_EQ(root.children.size(), 3u);
    EXPECT_EQ(root.children[0].kind, K::Attribute);
    EXPECT_EQ(root.children[1].kind, K::ProcessingInstruction);
    EXPECT_EQ(root.children[1].name, "inner");
    EXPECT_EQ(root.children[1].value, "");
    EXPECT_EQ(root.children[2].name, "c");
    EXPECT_EQ(doc.children[3].name, "tail");
    EXPECT_EQ(doc.children[3].value, "t");
}

TEST(XmlReader, XmlPrefixedTargetIsNotADeclaration) {
    XmlReaderNode doc = ReadXml("<?xml-stylesheet href='a'?><r/>");
    ASSERT_EQ(doc.children.size(), 2u);
    EXPECT_EQ(doc.children[0].kind, K::ProcessingInstruction);
    EXPECT_EQ(doc.children[0].name, "xml-stylesheet");
}

TEST(XmlReader, NamesWithMiddleDotAndPunctuation) {
    const auto& a = RootOf(ReadXml("<ns:a_b-c.d\xB7"
                                   "e x\xB7y='1'></ns:a_b-c.d\xB7"
                                   "e>"));
    EXPECT_EQ(a.name, "ns:a_b-c.d\xB7"
                      "e");
    EXPECT_EQ(a.children[0].name, "x\xB7y");
}

TEST(XmlReader, BytesPassThroughUnchanged) {
    const auto& a = RootOf(ReadXml("<a t='\xE9t\xE9'>gr\xC3\xB6\xC3\x9F"
                                   "e</a>"));
    EXPECT_EQ(a.value, "gr\xC3\xB6\xC3\x9F"
                       "e");
    EXPECT_EQ(a.children[0].value, "\xE9t\xE9");
}

TEST(XmlReader, ByteOrderMarkIsSkipped) {
    XmlReaderNode doc = ReadXml("\xEF\xBB\xBF<?xml version='1.0'?><r/>");
    ASSERT_EQ(doc.children.size(), 2u);
    EXPECT_EQ(doc.children[0].kind, K::Declaration);
}

TEST(XmlReader, AttributeSpacingAndQuotes) {
    const auto& a = RootOf(ReadXml("<a\n x = \"1\"\ty='it\"s'z=\"\"/>"));
    ASSERT_EQ(a.children.size(), 3u);
    EXPECT_EQ(a.children[0].value, "1");
    EXPECT_EQ(a.children[1].value, "it\"s");
    EXPECT_EQ(a.children[2].name, "z");
    EXPECT_EQ(a.children[2].value, "");
}

TEST(XmlReader, EndTagMayHaveWhitespace) {
    EXPECT_EQ(RootOf(ReadXml("<a>v</a \r\n>")).value, "v");
}

TEST(XmlReader, NestingDepthIsLimited) {
    auto nested = [](int depth) {
        std::string s;
        for (int i = 0; i < depth; ++i)
            s += "<e>";
        for (int i = 0; i < depth; ++i)
            s += "</e>";
        return s;
    };
    EXPECT_NO_THROW(ReadXml(nested(XmlMaxDepth)));
    EXPECT_EQ(ErrorOf(nested(XmlMaxDepth + 1)), "Elements nested too deeply");
}

} // namespace

namespace {
// Every element's children as "kind:name=value" lines, depth-first.
void Flatten(const XmlReaderNode& n, std::string& out, int depth = 0) {
    for (const auto& c : n.children) {
        out += std::string(size_t(depth), ' ') + std::to_string(int(c.kind)) + ":" + c.name + "=" +
               c.value + "\n";
        Flatten(c, out, depth + 1);
    }
}

struct TreeCase {
    int siblings; // children of each element, on both sides of the reused-list size
    int depth;
};
class ReaderTrees : public ::testing::TestWithParam<TreeCase> {};

// Attributes, instructions and elements keep their order and parents however
// many siblings and levels there are.
TEST_P(ReaderTrees, ChildrenStayWithTheirParents) {
    const auto [siblings, depth] = GetParam();
    std::function<std::string(int, const std::string&)> build = [&](int level,
                                                                    const std::string& id) {
        std::string s = "<e" + std::to_string(level) + " id='" + id + "'>\n  text " + id;
        if (level < depth)
            for (int i = 0; i < siblings; ++i) {
                s += "<?p " + id + "." + std::to_string(i) + "?>";
                s += build(level + 1, id + "." + std::to_string(i));
            }
        return s + " </e" + std::to_string(level) + ">";
    };
    std::function<void(const XmlReaderNode&, int, const std::string&)> check =
        [&](const XmlReaderNode& n, int level, const std::string& id) {
            ASSERT_EQ(n.name, "e" + std::to_string(level));
            ASSERT_EQ(n.value, "text " + id);
            const size_t kids = level < depth ? size_t(siblings) : 0;
            ASSERT_EQ(n.children.size(), 1 + 2 * kids);
            EXPECT_EQ(n.children[0].kind, K::Attribute);
            EXPECT_EQ(n.children[0].value, id);
            for (size_t i = 0; i < kids; ++i) {
                const std::string sub = id + "." + std::to_string(i);
                EXPECT_EQ(n.children[1 + 2 * i].kind, K::ProcessingInstruction);
                EXPECT_EQ(n.children[1 + 2 * i].value, sub);
                check(n.children[2 + 2 * i], level + 1, sub);
            }
        };
    const XmlReaderDocument doc = ReadXml(build(0, "r"));
    check(RootOf(doc), 0, "r");
}

INSTANTIATE_TEST_SUITE_P(Shapes, ReaderTrees,
                         ::testing::Values(TreeCase{1, 1}, TreeCase{3, 4}, TreeCase{32, 2},
                                           TreeCase{33, 2}, TreeCase{70, 2}, TreeCase{1, 400},
                                           TreeCase{1500, 1}));

// Siblings of changing widths, each read into a list sized by the one before.
TEST(XmlReader, SiblingsOfChangingWidths) {
    const int widths[] = {0, 3, 1, 9, 9, 2, 70, 5, 0, 64, 65, 1};
    std::string xml = "<r>", expected;
    for (size_t i = 0; i < std::size(widths); ++i) {
        const std::string n = std::to_string(i);
        xml += "<e" + n + ">";
        expected += "1:e" + n + "=\n";
        for (int k = 0; k < widths[i]; ++k) {
            const std::string v = n + "." + std::to_string(k);
            xml += k % 2 ? "<c>" + v + "</c>" : "<?p " + v + "?>";
            expected += std::string(k % 2 ? " 1:c=" : " 3:p=") + v + "\n";
        }
        xml += "</e" + n + ">";
    }
    std::string flat;
    Flatten(RootOf(ReadXml(xml + "</r>")), flat);
    EXPECT_EQ(flat, expected);
}

// Blanks at the ends go however they came: text, a reference or CDATA; inner
// ones stay.
TEST(XmlReader, TrimmedAtTheEndsWhateverMadeTheBlank) {
    const std::pair<const char*, const char*> cases[] = {
        {"<a>&#32;x</a>", "x"},
        {"<a><![CDATA[ \t]]>x<![CDATA[ ]]></a>", "x"},
        {"<a>\n  <b/>\n  x\n  <c/>\n</a>", "x"},
        {"<a> x <b/> y </a>", "x  y"},
        {"<a>&#9;&amp;&#10;</a>", "&"},
        {"<a>  </a>", ""}};
    for (const auto& [input, value] : cases)
        EXPECT_EQ(RootOf(ReadXml(input)).value, value) << input;
    std::string flat;
    Flatten(ReadXml("<a x='1'>\n <b>2</b>\n <?p q?>\n</a>"), flat);
    EXPECT_EQ(flat, "1:a=\n 2:x=1\n 1:b=2\n 3:p=q\n");
}
} // namespace
