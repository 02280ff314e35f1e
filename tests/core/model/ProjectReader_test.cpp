// The access-map reader walks sdo.xml once, reading the rows and checking
// the document's structure on the way: its verdict must be the document
// check's, fault for fault and in document order.
#include "core/editors/ByteMap.h"
#include "core/model/Project.h"
#include "core/project/Errors.h"
#include "core/project/XmlDoc.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string Nested(int levels) {
    std::string s;
    for (int i = 0; i < levels; ++i)
        s += "<n>";
    for (int i = 0; i < levels; ++i)
        s += "</n>";
    return s;
}

// What the generic check says of a text: empty when it takes it.
std::string DocumentVerdict(const std::string& text, const std::string& origin) {
    try {
        XmlDocument d;
        d.loadString(text, origin);
    } catch (const XmlError& e) {
        return e.what();
    }
    return "";
}

TEST(SdoReader, StructureFaultsAsTheDocumentCheckFindsThem) {
    const std::string dupRow = "<row Slave_ID=\"1\" Type=\"Coil Status\" Slave_ID=\"2\"/>";
    const std::string row = "<row Slave_ID=\"1\" Type=\"Coil Status\" Address_Mod=\"0\" "
                            "NPoint=\"1\" Address_DeviceNet=\"0\"/>";
    const std::string cases[] = {
        // a known name twice, an unknown name twice, one of each
        "<R><DeviceNet_IN>" + dupRow + "</DeviceNet_IN><DeviceNet_OUT/></R>",
        "<R><DeviceNet_IN><row x=\"1\" Type=\"T\" x=\"2\"/></DeviceNet_IN></R>",
        "<R><DeviceNet_IN><row x=\"1\" Slave_ID=\"1\" y=\"2\"/></DeviceNet_IN></R>",
        // on the root, on a list, on another child, below a row
        "<R a=\"1\" a=\"2\"><DeviceNet_IN/><DeviceNet_OUT/></R>",
        "<R><DeviceNet_IN/><DeviceNet_OUT b=\"1\" b=\"1\"/></R>",
        "<R><Other><x c=\"1\" c=\"2\"/></Other><DeviceNet_IN/></R>",
        "<R><DeviceNet_IN><row Slave_ID=\"1\"><x d=\"1\" d=\"2\"/></row></DeviceNet_IN></R>",
        // a second list of the same name is not read, but still checked
        "<R><DeviceNet_IN/><DeviceNet_IN>" + dupRow + "</DeviceNet_IN><DeviceNet_OUT/></R>",
        // nesting below a row (level 4 on) and below another child (level 3 on)
        "<R><DeviceNet_IN><row>" + Nested(997) + "</row></DeviceNet_IN></R>",
        "<R><DeviceNet_IN><row>" + Nested(998) + "</row></DeviceNet_IN></R>",
        "<R><Other>" + Nested(998) + "</Other></R>",
        "<R><Other>" + Nested(999) + "</Other></R>",
        // the first fault in document order names the document
        "<R><Other>" + Nested(999) + "</Other><DeviceNet_IN>" + dupRow + "</DeviceNet_IN></R>",
        "<R><DeviceNet_IN>" + dupRow + "</DeviceNet_IN><Other>" + Nested(999) + "</Other></R>",
        "<R><DeviceNet_OUT>" + dupRow + "</DeviceNet_OUT><DeviceNet_IN><row>" + Nested(998) +
            "</row></DeviceNet_IN></R>",
        // a fault after a row the editor would stop at
        "<R><DeviceNet_IN><row Type=\"x\"/>" + dupRow + "</DeviceNet_IN></R>",
        // no fault: unknown attributes, comments and text between rows
        "<R z=\"1\"><DeviceNet_IN><!-- c -->" + row +
            "text<row q=\"1\" r=\"2\"/></DeviceNet_IN>"
            "<DeviceNet_OUT>" +
            row + "</DeviceNet_OUT></R>",
    };
    for (const std::string& text : cases) {
        const Project p = Project::fromTexts(std::nullopt, text, std::nullopt);
        const std::string expected = DocumentVerdict(text, p.sdoPath());
        const LoadReport& report = p.access().report;
        SCOPED_TRACE(text.substr(0, 120));
        if (expected.empty()) {
            EXPECT_NE(report.state, LoadState::Unreadable) << report.reason;
        } else {
            EXPECT_EQ(report.state, LoadState::Unreadable);
            EXPECT_EQ(report.reason, expected);
            EXPECT_TRUE(p.access().in.rows.empty() && p.access().out.rows.empty());
            EXPECT_FALSE(p.access().in.found || p.access().out.found);
        }
    }
}

TEST(SdoReader, EveryChildIsARowAndTheFirstStopReasonIsInTableOrder) {
    // The write table comes first in the file; the editor reads the read
    // table first, so its reason is the one given.
    const std::string text =
        "<R><DeviceNet_OUT><row Slave_ID=\"1\"/></DeviceNet_OUT>"
        "<DeviceNet_IN><row Slave_ID=\"1\" Type=\"Coil Status\" Address_Mod=\"0\" NPoint=\"1\" "
        "Address_DeviceNet=\"0\" Extra=\"e\"/>note<row Slave_ID=\"2\" Type=\"Coil "
        "Status\" Address_Mod=\"1\"/></DeviceNet_IN></R>";
    const Project p = Project::fromTexts(std::nullopt, text, std::nullopt);
    const AccessPart& a = p.access();
    EXPECT_EQ(a.report.state, LoadState::Partial);
    EXPECT_EQ(a.report.reason, "Attribute 'Slave_ID' not found in element 'row'");
    ASSERT_EQ(a.in.rows.size(), 3u);
    EXPECT_EQ(a.in.absent[0], uint8_t(AccessAttr::Swap) | uint8_t(AccessAttr::Mnemonic));
    EXPECT_EQ(a.in.absent[1], 0x7F); // the text between rows
    EXPECT_EQ(a.in.rows[1].Swap, "N");
    EXPECT_TRUE(a.in.lacks(2, AccessAttr::NPoint));
    ASSERT_EQ(a.out.rows.size(), 1u);
    EXPECT_EQ(a.out.rows[0].Type, "Holding Register");
}

// The straightforward definition of the shared-bytes warnings: every pair
// of placed rows, the later one naming the earlier ones in row order.
std::vector<std::string> SharedBytesByPairs(const ByteMap& m) {
    auto bytes = [](int lo, int hi) {
        return lo == hi ? "byte " + std::to_string(lo)
                        : "bytes " + std::to_string(lo) + " to " + std::to_string(hi);
    };
    std::vector<std::string> out;
    for (size_t i = 0; i < m.rows.size(); ++i) {
        const ByteRow& r = m.rows[i];
        std::string shared;
        for (size_t j = 0; j < i; ++j) {
            const ByteRow& e = m.rows[j];
            const int lo = std::max(r.first, e.first);
            const int hi = std::min(r.first + r.length, e.first + e.length) - 1;
            if (lo > hi) continue;
            shared += (shared.empty() ? "" : "; ") + bytes(lo, hi) + " with row " +
                      std::to_string(e.row) + " (" + RowDescription(*e.cells) + ")";
        }
        if (!shared.empty())
            out.push_back("Row " + std::to_string(r.row) + " shares DeviceNet " + shared + ".");
    }
    return out;
}

TEST(ByteMapFindings, SharedBytesAreEveryOverlappingPairOfRows) {
    const char* types[] = {"Coil Status", "Input Status", "Holding Register", "Input Register"};
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](int n) { return int(rng() % unsigned(n)); };
        // From sparse to crowded areas, with rows out of range left out.
        const int area = 1 + pick(455), count = 1 + pick(300), spread = 1 + pick(127);
        std::vector<AccessRow> rows;
        for (int i = 0; i < count; ++i)
            rows.push_back({std::to_string(1 + pick(247)), types[pick(4)], std::to_string(i),
                            std::to_string(pick(20) ? 1 + pick(spread) : 200), "N",
                            std::to_string(pick(area + 3)), pick(2) ? "m" : ""});
        for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
            const ByteMap m = ComputeByteMap(rows, t, area);
            std::vector<std::string> shared;
            for (const Finding& f : ByteMapFindings(m))
                if (f.message.find(" shares DeviceNet ") != std::string::npos)
                    shared.push_back(f.message);
            EXPECT_EQ(shared, SharedBytesByPairs(m)) << "seed " << seed;
        }
    }
}

} // namespace
