// The merged firmware files read back through Debian's srecord tools.
#include "core/device/FirmwareComposer.h"
#include "core/project/FileSystem.h"

#include "FirmwareSrec.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace srectest;

namespace {

std::string Hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", v);
    return buf;
}

// Lower case with every run of white space as one blank (srec_info wraps its lines).
std::string Normalised(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (std::isspace(c)) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += char(std::tolower(c));
        }
    }
    return out;
}

class Srecord : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RunCommand("srec_cat -version").status, 0)
            << "srec_cat missing: scripts/install-deps installs package srecord";
        ASSERT_TRUE(CreateDir(dir / "bin"));
        ASSERT_TRUE(CreateDir(dir / "proj"));
        for (int b = 0; b < BankCount; ++b)
            WriteText(dir / ("bin/bank" + std::to_string(b + 1) + ".bin"), BankImage(b));
        c.BinFolder = dir / "bin/";
        c.SelectFirmware(dir.path(), "fw.sx", dir / "proj");
        c.onMessage = [](const std::string& m) { ADD_FAILURE() << "message: " << m; };
    }

    // srec_info reads the file without complaint (an interleaved source is
    // out of address order, and so is its merge).
    void expectClean(const std::string& file, bool unordered = false) {
        RunResult info = RunCommand("srec_info " + Quote(file));
        EXPECT_EQ(info.status, 0) << info.output;
        std::string text = Normalised(info.output);
        const std::string order = "warning: data records not in strictly ascending order";
        if (unordered) {
            const size_t at = text.find(order);
            ASSERT_NE(at, std::string::npos) << info.output;
            text.erase(at, order.size());
        }
        EXPECT_EQ(text.find("warning"), std::string::npos) << info.output;
        EXPECT_NE(info.output.find("Execution Start Address"), std::string::npos) << info.output;
    }

    // The bank's bytes are found at the bank's addresses.
    void expectBank(const std::string& file, int bank) {
        const uint32_t first = BankRanges[size_t(bank)].first;
        const std::string bin = dir / ("got" + std::to_string(bank) + ".bin");
        RunResult cut = RunCommand("srec_cat " + Quote(file) + " -crop " + Hex(first) + " " +
                                   Hex(first + 0x4000) + " -offset -" + Hex(first) + " -o " +
                                   Quote(bin) + " -binary");
        ASSERT_EQ(cut.status, 0) << cut.output;
        EXPECT_EQ(ReadText(bin), BankImage(bank)) << "bank " << bank + 1;
    }

    // The whole memory equals srec_cat's own merge of the firmware and banks.
    void expectSameAsSrecCat(const std::string& file, const std::string& firmware,
                             const std::vector<int>& banks) {
        std::string cmd = "srec_cat " + Quote(firmware);
        for (int b : banks) {
            const uint32_t first = BankRanges[size_t(b)].first;
            cmd += " -exclude " + Hex(first) + " " + Hex(first + 0x4000);
        }
        for (int b : banks) {
            const uint32_t first = BankRanges[size_t(b)].first;
            cmd += " " + Quote(dir / ("bin/bank" + std::to_string(b + 1) + ".bin")) +
                   " -binary -offset " + Hex(first);
        }
        const std::string expected = dir / "expected.sx";
        RunResult merge = RunCommand(cmd + " -o " + Quote(expected));
        ASSERT_EQ(merge.status, 0) << merge.output;
        RunResult cmp = RunCommand("srec_cmp " + Quote(file) + " " + Quote(expected));
        EXPECT_EQ(cmp.status, 0) << cmp.output;
    }

    TempDir dir;
    FirmwareComposer c;
};

TEST_F(Srecord, BlockMerge) {
    const std::string fw = Header() + "\r\n" + S2Block(0x380000, 0x390000) + S9() + "\r\n";
    WriteText(dir / "fw.sx", fw);
    ASSERT_EQ(c.MergeBank(0, "out.sx", dir / "fw.sx"), 1);
    expectClean(dir / "fw.sx");
    expectClean(dir / "proj/out.sx");
    expectBank(dir / "proj/out.sx", 0);
    expectSameAsSrecCat(dir / "proj/out.sx", dir / "fw.sx", {0});
}

TEST_F(Srecord, InterleavedMerge) {
    std::string fw = Header() + "\r\n";
    for (uint32_t i = 0; i < 512; ++i)
        fw += S2(0x200000 + i * 32) + "\r\n" + S2(0x388000 + (i * 37 % 512) * 32) + "\r\n";
    WriteText(dir / "fw.sx", fw + S9() + "\r\n");
    ASSERT_EQ(c.MergeBank(0, "out.sx", dir / "fw.sx"), 1);
    expectClean(dir / "fw.sx", true);
    expectClean(dir / "proj/out.sx", true);
    expectBank(dir / "proj/out.sx", 0);
    expectSameAsSrecCat(dir / "proj/out.sx", dir / "fw.sx", {0});
}

TEST_F(Srecord, ComposedFirmwareWithBanksOneAndTwo) {
    const std::string fw = Header() + "\r\n" + S2Block(0x384000, 0x3A0000) + S9() + "\r\n";
    WriteText(dir / "fw.sx", fw);
    ASSERT_EQ(c.Compose({true, true, false, false, false}), (std::vector<int>(5, 1)));
    const std::string merged = dir / "proj/New_fw.sx";
    expectClean(merged);
    expectBank(merged, 0);
    expectBank(merged, 1);
    expectSameAsSrecCat(merged, dir / "fw.sx", {0, 1});
}

TEST_F(Srecord, ComposedFirmwareWithAllBanks) {
    std::string fw = Header() + "\r\n";
    for (const BankRange& r : BankRanges)
        fw += S2Block(r.first - 0x100, r.last + 0x101);
    WriteText(dir / "fw.sx", fw + S9() + "\r\n");
    ASSERT_EQ(c.Compose({true, true, true, true, true}), (std::vector<int>(5, 1)));
    const std::string merged = dir / "proj/New_fw.sx";
    expectClean(merged);
    for (int b = 0; b < BankCount; ++b)
        expectBank(merged, b);
    expectSameAsSrecCat(merged, dir / "fw.sx", {0, 1, 2, 3, 4});
}

TEST_F(Srecord, AbsentRangeLeavesTheFirmwareUnchanged) {
    const std::string fw = Header() + "\r\n" + S2Block(0x380000, 0x381000) + S9() + "\r\n";
    WriteText(dir / "fw.sx", fw);
    ASSERT_EQ(c.MergeBank(0, "out.sx", dir / "fw.sx"), 0);
    expectClean(dir / "proj/out.sx");
    RunResult cmp =
        RunCommand("srec_cmp " + Quote(dir / "proj/out.sx") + " " + Quote(dir / "fw.sx"));
    EXPECT_EQ(cmp.status, 0) << cmp.output;
}

} // namespace
