#include "TempDir.h"
#include "core/project/Errors.h"
#include "core/project/XmlDoc.h"
#include "core/project/XmlRows.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {
TEST(XmlRows, LoadRowsHandsOverTheRowsReadBeforeAFault) {
    TempDir dir;
    struct Case {
        const char* xml; // nullptr: no file
        RowsLoad end;
        std::vector<std::string> rows; // the "v" attributes handed over
    } cases[] = {
        {nullptr, RowsLoad::FileMissing, {}},
        {"<t><row v=\"1\"/><row v=\"2\"/></t>", RowsLoad::Loaded, {"1", "2"}},
        {"<t/>", RowsLoad::Loaded, {}},
        // Comments are not read; text between rows is no row.
        {"<t><row v=\"1\"/><!-- x --><row v=\"2\"/></t>", RowsLoad::Loaded, {"1", "2"}},
        {"<t><row v=\"1\"/>text<row v=\"2\"/></t>", RowsLoad::ReadError, {"1"}},
        {"<t><row v=\"1\"/><row/><row v=\"3\"/></t>", RowsLoad::ReadError, {"1"}},
        {"<t><row v=\"1\"/><row v=\"bad\"/></t>", RowsLoad::ReadError, {"1"}},
        {"<t><row v=\"1\"/>", RowsLoad::ReadError, {}},
        // Another document under the same name holds no rows.
        {"<other><row v=\"1\"/></other>", RowsLoad::Loaded, {}},
    };
    for (const Case& c : cases) {
        const std::string path = dir / "t.xml";
        std::remove(path.c_str());
        if (c.xml) WriteText(path, c.xml);
        std::vector<std::string> rows;
        const RowsLoad end = LoadRows(
            path,
            [&](const XmlNode& row) {
                const std::string v = row.attr("v");
                if (v == "bad") throw EConvertError("bad");
                rows.push_back(v);
            },
            "other");
        EXPECT_EQ(end, c.end) << (c.xml ? c.xml : "no file");
        EXPECT_EQ(rows, c.rows) << (c.xml ? c.xml : "no file");
    }
}

TEST(XmlRows, SaveOrderIsAscendingWithTheLaterOfEqualKeysFirst) {
    struct Case {
        std::vector<int> keys;
        std::vector<size_t> order;
    } cases[] = {
        {{}, {}},
        {{5}, {0}},
        {{3, 1, 2}, {1, 2, 0}},
        {{2, 2, 2}, {2, 1, 0}},
        {{3, 1, 3, 1, -4}, {4, 3, 1, 2, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SaveOrder(c.keys), c.order) << ::testing::PrintToString(c.keys);
}
} // namespace
