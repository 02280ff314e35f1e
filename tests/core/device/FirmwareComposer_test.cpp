#include "core/device/FirmwareComposer.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

#include "FirmwareSrec.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace srectest;

namespace {

constexpr uint32_t Bank1 = 0x388000;
constexpr uint32_t Bank2 = 0x398000;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    for (std::string_view l : SplitLines(text))
        out.emplace_back(l);
    return out;
}

// ---- record format ----

struct ChecksumCase {
    std::string record; // with a "??" placeholder
    std::string digits;
};

TEST(SRecordChecksum, KnownRecords) {
    const ChecksumCase cases[] = {
        // Bank 1's first record with zero data: 0x24 + 0x38 + 0x80 = 0xDC -> 0x23.
        {"S224388000" + std::string(64, '0') + "??", "23"},
        {"S1137AF00A0A0D0000000000000000000000000000??", "61"},
        {"S00F000068656C6C6F202020202000??", "3C"},
        {"S9030000??", "FC"},
    };
    for (ChecksumCase c : cases) {
        std::string rec = c.record;
        EXPECT_EQ(SRecordChecksum(rec), c.digits) << c.record;
        EXPECT_EQ(rec, c.record.substr(0, c.record.size() - 2) + c.digits);
    }
}

TEST(SRecordChecksum, RejectsNonHexadecimalText) {
    std::string rec = "S22438G000??";
    EXPECT_THROW(SRecordChecksum(rec), std::invalid_argument);
}

TEST(BankRecords, FiveHundredTwelveS224RecordsFromTheRangeStart) {
    const std::string image = BankImage(0);
    const std::vector<std::string> lines = Lines(BankRecords(Bank1, image));
    ASSERT_EQ(lines.size(), 512u);
    for (size_t r = 0; r < lines.size(); ++r) {
        const uint32_t addr = Bank1 + uint32_t(r * 32);
        std::vector<uint8_t> data(image.begin() + long(r * 32), image.begin() + long(r * 32 + 32));
        ASSERT_EQ(lines[r], Record('2', 3, addr, data)) << r;
    }
    EXPECT_EQ(lines.back().substr(0, 10), "S22438BFE0");
    EXPECT_EQ(BankRecords(Bank1, image).substr(76, 2), "\r\n");
}

TEST(SplitLines, EndsOfLineAsALineReaderSeesThem) {
    EXPECT_EQ(Lines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(Lines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_TRUE(Lines("").empty());
}

// ---- merging ----

class Merge : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDir(dir / "bin"));
        ASSERT_TRUE(CreateDir(dir / "proj"));
        reset();
        c.onMessage = [this](const std::string& m) { messages.push_back(m); };
        c.onProgress = [this](int pos, int max) { progress.emplace_back(pos, max); };
    }
    void reset() {
        for (int b = 0; b < BankCount; ++b)
            WriteText(dir / ("bin/bank" + std::to_string(b + 1) + ".bin"), BankImage(b));
        c.BinFolder = dir / "bin/";
        c.SelectFirmware(dir.path(), "fw.sx", dir / "proj");
    }
    int merge(int bank, const std::string& firmware) {
        WriteText(dir / "fw.sx", firmware);
        return c.MergeBank(bank, "out.sx", dir / "fw.sx");
    }
    std::string out() const { return ReadText(dir / "proj/out.sx"); }
    std::string bankLines(int bank, uint32_t first) const {
        return BankRecords(first, BankImage(bank));
    }

    TempDir dir;
    FirmwareComposer c;
    std::vector<std::string> messages;
    std::vector<std::pair<int, int>> progress;
};

TEST_F(Merge, RangeInOneBlockIsReplacedInPlace) {
    const std::string before = Header() + "\r\n" + S2Block(0x387F00, Bank1);
    const std::string after = S2Block(0x38C000, 0x38C100) + S9() + "\r\n";
    EXPECT_EQ(merge(0, before + S2Block(Bank1, 0x38C000) + after), 1);
    EXPECT_EQ(out(), before + bankLines(0, Bank1) + after);
    EXPECT_TRUE(messages.empty());
}

TEST_F(Merge, InterleavedRecordsInsertTheBankOnceAtTheFirstInRangeRecord) {
    std::string src = Header() + "\r\n", expected = src;
    for (uint32_t i = 0; i < 512; ++i) {
        src += S2(0x100000 + i * 32) + "\r\n";
        expected += S2(0x100000 + i * 32) + "\r\n";
        src += S2(Bank1 + (i * 97 % 512) * 32) + "\r\n";
        if (i == 0) expected += bankLines(0, Bank1);
    }
    src += S9() + "\r\n";
    expected += S9() + "\r\n";
    EXPECT_EQ(merge(0, src), 1);
    EXPECT_EQ(out(), expected);
}

TEST_F(Merge, AbsentRangeInsertsNothing) {
    const std::string src = Header() + "\r\n" + S2Block(0x380000, 0x381000) + S9() + "\r\n";
    EXPECT_EQ(merge(0, src), 0);
    EXPECT_EQ(out(), src);
    // Another bank's range is not this bank's.
    EXPECT_EQ(merge(1, Header() + "\r\n" + S2Block(Bank1, 0x38C000) + S9() + "\r\n"), 0);
}

TEST_F(Merge, WithoutS9TheMergeIsIncomplete) {
    const std::string src = S2Block(Bank1, 0x38C000);
    EXPECT_EQ(merge(0, src), -1);
    EXPECT_EQ(out(), bankLines(0, Bank1)) << "the lines are written all the same";
    EXPECT_TRUE(messages.empty());
}

TEST_F(Merge, EveryLineIsWrittenWithCrLf) {
    const std::string lf = Header() + "\n" + S2Block(0x380000, 0x380100, "\n") + S9() + "\n";
    EXPECT_EQ(merge(0, lf), 0);
    EXPECT_EQ(out(), Header() + "\r\n" + S2Block(0x380000, 0x380100) + S9() + "\r\n");
    EXPECT_EQ(merge(0, "S9030000FC"), 0) << "a last line without line end";
    EXPECT_EQ(out(), "S9030000FC\r\n");
}

TEST_F(Merge, SixteenBitRecordsAreNeverInABankRange) {
    // 0x3880 followed by a data byte 0x00 reads as 0x388000 if taken as six digits.
    const std::string s1 = Record('1', 2, 0x3880, {0x00, 0x11, 0x22});
    const std::string src = s1 + "\r\n" + S2Block(Bank1, Bank1 + 64) + S9() + "\r\n";
    EXPECT_EQ(merge(0, src), 1);
    EXPECT_EQ(out(), s1 + "\r\n" + bankLines(0, Bank1) + S9() + "\r\n");
}

TEST_F(Merge, UnreadableAddressStopsWithMessage) {
    const std::string good = S2(0x380000) + "\r\n" + S9() + "\r\n";
    const std::string bad[] = {"S2243800G0AA", "S224388", "S1"};
    for (const std::string& b : bad) {
        messages.clear();
        EXPECT_EQ(merge(0, good + b + "\r\n" + S2(0x380020) + "\r\n"), -1) << b;
        EXPECT_EQ(messages, std::vector<std::string>{"File New Sx Not Create,Abort Procedure"});
        EXPECT_EQ(out(), good) << "the lines before the fault stay";
    }
}

TEST_F(Merge, ProgressRunsFromZeroToLinesPlus512) {
    const std::string src = S2Block(0x380000, 0x380100) + S2Block(Bank1, Bank1 + 64) + S9();
    EXPECT_EQ(merge(0, src), 1);
    const int lines = 8 + 2 + 1;
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front().first, 0);
    EXPECT_EQ(progress.back(), std::make_pair(512 + lines, 512 + lines));
    int last = -1;
    for (size_t i = 1; i < progress.size(); ++i) {
        EXPECT_GE(progress[i].first, last);
        last = progress[i].first;
        EXPECT_LE(progress[i].first, 512 + lines);
    }
}

TEST_F(Merge, MissingInputsAreReportedAndNothingIsWritten) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        const char* message;
    } cases[] = {
        {"source", [&] { ::unlink((dir / "fw.sx").c_str()); },
         "File *.Sx Not Found,Abort Procedure"},
        {"new name", [&] { c.NewName.clear(); }, "File New *.Sx Not Found,Abort Procedure"},
        {"bin folder", [&] { c.BinFolder = dir / "nobin/"; },
         "Directory Bin Not Found,Abort Procedure"},
        {"bank file", [&] { ::unlink((dir / "bin/bank2.bin").c_str()); },
         "File bank2.bin Not Found,Abort Procedure"},
        {"short bank", [&] { WriteText(dir / "bin/bank2.bin", BankImage(1, 16383)); },
         "File bank2.bin shorter than 16384 bytes,Abort Procedure"},
    };
    for (Case& k : cases) {
        reset();
        messages.clear();
        WriteText(dir / "fw.sx", S2Block(Bank2, Bank2 + 64) + S9());
        k.arrange();
        EXPECT_EQ(c.MergeBank(1, "out.sx", dir / "fw.sx"), -1) << k.what;
        EXPECT_EQ(messages, std::vector<std::string>{k.message}) << k.what;
        EXPECT_FALSE(FileExists(dir / "proj/out.sx")) << k.what;
    }
}

TEST_F(Merge, LongerBankFileUsesItsFirst16KiB) {
    WriteText(dir / "bin/bank1.bin", BankImage(0, 20000));
    EXPECT_EQ(merge(0, S2(Bank1) + "\r\n" + S9()), 1);
    EXPECT_EQ(out(), bankLines(0, Bank1) + S9() + "\r\n");
}

TEST_F(Merge, OutputThatCannotBeCreatedGoesToTheGeneralErrorReport) {
    c.OutFolder = dir / "gone/";
    WriteText(dir / "fw.sx", S9());
    EXPECT_THROW(c.MergeBank(0, "out.sx", dir / "fw.sx"), FileError);
}

// ---- composition ----

class Compose : public Merge {
protected:
    std::vector<std::pair<int, int>> stages;
    void SetUp() override {
        Merge::SetUp();
        c.onStageDone = [this](int bank, int result) { stages.emplace_back(bank, result); };
    }
    bool anyStageFileLeft() const {
        for (int s = 0; s < BankCount; ++s)
            if (FileExists(dir / ("proj/" + StageFileName(s)))) return true;
        return false;
    }
    std::string firmware() const {
        return Header() + "\r\n" + S2Block(0x380000, 0x380400) + S2Block(Bank1, 0x38C000) +
               S2Block(0x390000, 0x390400) + S2Block(Bank2, 0x39C000) + S9() + "\r\n";
    }
};

TEST_F(Compose, BanksOneAndTwoThenRenameChain) {
    WriteText(dir / "fw.sx", firmware());
    // Each stage's file is there when the stage ends, named with degree signs.
    std::vector<bool> stageFiles;
    c.onStageDone = [&](int bank, int) {
        if (bank < 4)
            stageFiles.push_back(FileExists(dir / ("proj/\xC2\xB0"
                                                   "B" +
                                                   std::to_string(bank + 1) + "\xC2\xB0.sx")));
    };
    EXPECT_EQ(c.Compose({true, true, false, false, false}), (std::vector<int>{1, 1, 1, 1, 1}));
    const std::string expected = Header() + "\r\n" + S2Block(0x380000, 0x380400) +
                                 bankLines(0, Bank1) + S2Block(0x390000, 0x390400) +
                                 bankLines(1, Bank2) + S9() + "\r\n";
    EXPECT_EQ(ReadText(dir / "proj/New_fw.sx"), expected);
    EXPECT_EQ(stageFiles, std::vector<bool>(4, true));
    EXPECT_FALSE(anyStageFileLeft());
    EXPECT_EQ(ReadText(dir / "fw.sx"), firmware()) << "the firmware is left as it was";
}

TEST_F(Compose, AbsentRangeMarksTheBankAndGoesOn) {
    WriteText(dir / "fw.sx", Header() + "\r\n" + S2Block(Bank1, 0x38C000) + S9() + "\r\n");
    EXPECT_EQ(c.Compose({true, true, false, false, false}), (std::vector<int>{1, 0, 0, 0, 0}));
    EXPECT_EQ(stages[1], std::make_pair(1, 0));
    EXPECT_EQ(ReadText(dir / "proj/New_fw.sx"),
              Header() + "\r\n" + bankLines(0, Bank1) + S9() + "\r\n");
    EXPECT_FALSE(anyStageFileLeft());
}

TEST_F(Compose, MissingS9StopsTheStages) {
    WriteText(dir / "fw.sx", S2Block(Bank1, 0x38C000));
    EXPECT_EQ(c.Compose({true, true, true, true, true}), (std::vector<int>{-1}));
    EXPECT_FALSE(FileExists(dir / "proj/New_fw.sx"));
    EXPECT_FALSE(anyStageFileLeft());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Compose, UncheckedFirstBankCopiesTheFirmwareInsteadOfMovingIt) {
    // The firmware lives in the out folder under its own name.
    c.SelectFirmware(dir / "proj", "fw.sx", dir / "proj");
    WriteText(dir / "proj/fw.sx", firmware());
    EXPECT_EQ(c.Compose({false, true, false, false, false}), (std::vector<int>{0, 1, 1, 1, 1}));
    EXPECT_EQ(ReadText(dir / "proj/fw.sx"), firmware());
    const std::string merged = ReadText(dir / "proj/New_fw.sx");
    EXPECT_NE(merged.find(bankLines(1, Bank2)), std::string::npos);
    EXPECT_NE(merged.find(S2(Bank1)), std::string::npos);
    EXPECT_FALSE(anyStageFileLeft());
}

TEST_F(Compose, MissingFirmwareStopsAtTheFirstStage) {
    EXPECT_EQ(c.Compose({true, true, false, false, false}), (std::vector<int>{-1}));
    EXPECT_EQ(messages, std::vector<std::string>{"File *.Sx Not Found,Abort Procedure"});
}

// ---- the flash programmer ----

TEST_F(Merge, UpdateChecksItsFilesThenStartsTheProgrammer) {
    std::vector<std::pair<std::string, std::string>> started;
    c.startProgram = [&](const std::string& p, const std::string& a) {
        started.emplace_back(p, a);
    };
    c.Update(0, dir.path());
    EXPECT_EQ(messages, std::vector<std::string>{"File *.Sx Not Found,Abort Procedure"});
    WriteText(dir / "proj/New_fw.sx", "S9030000FC\r\n");
    c.Update(0, dir.path());
    EXPECT_EQ(messages.back(), "DadarOrovu.exe Not Found, Procedure Aborted");
    EXPECT_TRUE(started.empty());
    WriteText(dir / "DadarOrovu.exe", "");
    messages.clear();
    c.Update(3, dir.path());
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].first, dir / "DadarOrovu.exe");
    EXPECT_EQ(started[0].second, "\"" + (dir / "proj/New_fw.sx") + "\"\xC2\xB6" + "3");
}

TEST(StartProgram, RunsDetachedWithOneArgument) {
    TempDir dir;
    const std::string script = dir / "prog";
    const std::string seen = dir / "seen";
    WriteText(script, "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > " + Quote(seen) + ".tmp\nmv " +
                          Quote(seen) + ".tmp " + Quote(seen) + "\n");
    ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
    const std::string param = FlashProgrammerParameter("/a b/New_x.sx", 2);
    ASSERT_TRUE(StartProgram(script, param));
    for (int i = 0; i < 500 && !FileExists(seen); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(FileExists(seen));
    EXPECT_EQ(ReadText(seen), "1|" + param);
    EXPECT_FALSE(StartProgram(dir / "missing", param));
}

} // namespace
