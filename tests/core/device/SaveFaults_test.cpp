// Faults while saving, through real writers: a full disk, an interruption
// just before the rename, a folder where the file should be and a missing
// folder. Each must report the error and leave the previous file as it was,
// with no temporary file left behind.
#include "core/device/ConfigImage.h"
#include "core/model/Project.h"
#include "core/device/GsdWriter.h"
#include "core/editors/CommParams.h"
#include "core/family/ImportExport.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/XmlDoc.h"

#include "TempDir.h"
#include "WriteFaults.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

const char* const Pargen =
    "<Par_Gen><Ser_Baud>7</Ser_Baud><Ser_Par>0</Ser_Par><Ser_TO>1</Ser_TO><Ser_CD>1</Ser_CD>"
    "<Ser_Type>0</Ser_Type><Ser_Prot>0</Ser_Prot><Ser_Write_Mode>1</Ser_Write_Mode>"
    "<DN_ID>20</DN_ID><DN_Baud>0</DN_Baud><DN_NB_IN>20</DN_NB_IN><DN_NB_OUT>20</DN_NB_OUT>"
    "<DN_Enable_Error>0</DN_Enable_Error><DN_Num_Cont_Err>1</DN_Num_Cont_Err>"
    "<DN_Val_Canc_Data>0x00</DN_Val_Canc_Data><Profi_NB_IN>100</Profi_NB_IN>"
    "<Profi_NB_OUT>20</Profi_NB_OUT></Par_Gen>";
const char* const Sdo =
    R"(<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID="1" Type="Holding Register" )"
    R"(Address_Mod="100" NPoint="2" Swap="N" Address_DeviceNet="0" Mnemonic="m1"/>)"
    R"(</DeviceNet_IN><DeviceNet_OUT/></Serial_to_ProfiBus>)";

// A writer of the program: the file it writes below the project folder and
// the save itself.
struct Writer {
    const char* name;
    const char* file;
    std::function<void(const std::string& folder, const std::string& target)> save;
};

const Writer Writers[] = {
    {"pargen", "pargen.xml",
     [](const std::string&, const std::string& target) {
         CommParams p;
         p.SerTO = "250";
         SaveCommParams(p, target);
     }},
    {"bank", "bin/bank.bin",
     [](const std::string& folder, const std::string&) {
         WriteImage(folder, BuildImage(folder));
     }},
    {"gsd", "RG58804.gsd",
     [](const std::string& folder, const std::string& target) {
         WriteGsd(target, Project::load(folder));
     }},
    {"csv", "sdo.csv",
     [](const std::string&, const std::string& target) {
         WriteCsv(target, {{"N", "RW", "Index"}, {"1", "0", "0x2000"}});
     }},
};

enum class Fault { FullDisk, BeforeRename, FolderInPlace };

struct Case {
    const Writer* writer;
    Fault fault;
};

std::string Name(const ::testing::TestParamInfo<Case>& info) {
    static const char* const faults[] = {"FullDisk", "BeforeRename", "FolderInPlace"};
    return std::string(info.param.writer->name) + "_" + faults[int(info.param.fault)];
}

class SaveFault : public ::testing::TestWithParam<Case> {
protected:
    TempDir dir;
    void SetUp() override {
        ASSERT_TRUE(CreateDir(dir / "bin"));
        WriteText(dir / "pargen.xml", Pargen);
        WriteText(dir / "sdo.xml", Sdo);
    }
    void TearDown() override { SetWriteFaultHook(nullptr); }

    std::vector<std::string> entries(const std::string& folder) const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(folder))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_P(SaveFault, ReportsAndKeepsThePreviousFile) {
    const Case& c = GetParam();
    const std::string target = dir / c.writer->file;
    const std::string folder = fs::path(target).parent_path().string();

    // Without a fault the writer does change the file.
    c.writer->save(dir.path(), target);
    const std::string written = ReadText(target);

    const std::string previous = c.fault == Fault::FolderInPlace ? "" : "previous\r\ncontent\x01";
    if (c.fault == Fault::FolderInPlace) {
        fs::remove(target);
        ASSERT_TRUE(CreateDir(target));
        WriteText(target + "/inside", "x");
    } else {
        WriteText(target, previous);
        ASSERT_NE(written, previous);
    }
    const std::vector<std::string> before = entries(folder);

    size_t calls = 0;
    if (c.fault == Fault::FullDisk)
        SetWriteFaultHook([&](size_t offset, size_t length) {
            ++calls;
            return offset + length <= 4; // the disk fills after 4 bytes
        });
    else if (c.fault == Fault::BeforeRename)
        SetWriteFaultHook([&](size_t, size_t length) {
            ++calls;
            return length != 0;
        });

    std::string error;
    try {
        c.writer->save(dir.path(), target);
    } catch (const TessaroError& e) {
        error = e.what();
    }
    SetWriteFaultHook(nullptr);

    EXPECT_FALSE(error.empty()) << "the failed save was not reported";
    if (c.fault != Fault::FolderInPlace) {
        EXPECT_GT(calls, 0u);
    }
    EXPECT_EQ(entries(folder), before) << "a temporary file was left behind";
    if (c.fault == Fault::FolderInPlace) {
        EXPECT_TRUE(DirectoryExists(target));
        EXPECT_EQ(ReadText(target + "/inside"), "x");
    } else {
        EXPECT_EQ(ReadText(target), previous);
    }
}

std::vector<Case> AllCases() {
    std::vector<Case> out;
    for (const Writer& w : Writers)
        for (Fault f : {Fault::FullDisk, Fault::BeforeRename, Fault::FolderInPlace})
            out.push_back({&w, f});
    return out;
}

INSTANTIATE_TEST_SUITE_P(Writers, SaveFault, ::testing::ValuesIn(AllCases()), Name);

// A missing folder: the save fails with the reason and creates nothing;
// only the project's own bin folder is made, as New Project makes it.
TEST(SaveFaultMissingFolder, EveryWriterReports) {
    for (const Writer& w : Writers) {
        TempDir dir;
        WriteText(dir / "pargen.xml", Pargen);
        WriteText(dir / "sdo.xml", Sdo);
        if (std::string(w.file) == "bin/bank.bin") {
            w.save(dir.path(), dir / w.file);
            EXPECT_TRUE(FileExists(dir / w.file));
            continue;
        }
        const std::string target = dir / (std::string("gone/") + w.file);
        std::string error;
        try {
            w.save(dir.path(), target);
        } catch (const TessaroError& e) {
            error = e.what();
        }
        EXPECT_FALSE(error.empty()) << w.name;
        EXPECT_FALSE(FileExists(target)) << w.name;
        EXPECT_FALSE(DirectoryExists(fs::path(target).parent_path().string())) << w.name;
    }
}

// A payload larger than one piece: the disk filling in the middle of it
// leaves nothing of the new content anywhere.
TEST(SaveFaultLarge, FullDiskInTheMiddle) {
    TempDir dir;
    const std::string target = dir / "big.bin";
    WriteText(target, "old");
    size_t written = 0;
    SetWriteFaultHook([&](size_t offset, size_t length) {
        if (offset + length > 150000) return false;
        written = offset + length;
        return true;
    });
    EXPECT_THROW(WriteFileAtomic(target, std::string(300000, 'n')), FileError);
    SetWriteFaultHook(nullptr);
    EXPECT_GE(written, 65536u); // some pieces did reach the temporary file
    EXPECT_EQ(ReadText(target), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
}

} // namespace
