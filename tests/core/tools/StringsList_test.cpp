#include "TempDir.h"
#include "core/tools/StringsList.h"

#include <gtest/gtest.h>

namespace {

TEST(StringsList, ChildrenInOrderWhateverTheirNames) {
    TempDir dir;
    WriteText(dir / "s.xml", "<strings><s>zero</s><other>one</other><s>two</s></strings>");
    StringsList l = ReadStringsList(dir / "s.xml");
    EXPECT_TRUE(l.messages.empty());
    EXPECT_EQ(l.strings, (std::vector<std::string>{"zero", "one", "two"}));
}

TEST(StringsList, MissingOrEmptyPath) {
    TempDir dir;
    for (const std::string& path : {std::string(), dir / "none.xml"}) {
        StringsList l = ReadStringsList(path);
        EXPECT_TRUE(l.strings.empty());
        EXPECT_EQ(l.messages, std::vector<std::string>{"File strings XML not found"});
    }
}

TEST(StringsList, MalformedFile) {
    TempDir dir;
    WriteText(dir / "bad.xml", "<strings><s>zero</s><s>one</strings>");
    StringsList l = ReadStringsList(dir / "bad.xml");
    EXPECT_EQ(l.messages, std::vector<std::string>{"Error in reading file XML"});
}

TEST(StringsList, AtMostOneThousand) {
    TempDir dir;
    std::string xml = "<l>";
    for (int i = 0; i < 1005; ++i)
        xml += "<s>" + std::to_string(i) + "</s>";
    WriteText(dir / "many.xml", xml + "</l>");
    StringsList l = ReadStringsList(dir / "many.xml");
    EXPECT_TRUE(l.messages.empty());
    ASSERT_EQ(l.strings.size(), 1000u);
    EXPECT_EQ(l.strings.back(), "999");
}

} // namespace
