// The image of a full project (455 read rows, 455 write rows) against merely
// parsing its two files with pugixml.
#include "core/device/ConfigImage.h"
#include "core/project/FileSystem.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <pugixml.hpp>
#include <string>

namespace {

struct FullProject {
    std::string folder;
    FullProject() {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "tessaro-bench-XXXXXX").string();
        folder = ::mkdtemp(tmpl.data());
        CreateDir(folder + "/bin");
        WriteFileAtomic(folder + "/pargen.xml",
                        "<Par_Gen><Ser_Baud>7</Ser_Baud><Ser_Par>0</Ser_Par><Ser_TO>1000</Ser_TO>"
                        "<Ser_CD>100</Ser_CD><Ser_Type>1</Ser_Type><Ser_Prot>0</Ser_Prot>"
                        "<Ser_Write_Mode>0</Ser_Write_Mode><DN_ID>1</DN_ID><DN_Baud>2</DN_Baud>"
                        "<DN_NB_IN>455</DN_NB_IN><DN_NB_OUT>455</DN_NB_OUT>"
                        "<DN_Enable_Error>1</DN_Enable_Error><DN_Num_Cont_Err>3</DN_Num_Cont_Err>"
                        "<DN_Val_Canc_Data>0x00</DN_Val_Canc_Data></Par_Gen>");
        std::string sdo = "<Serial_to_ProfiBus><DeviceNet_IN>";
        const char* inTypes[] = {"Coil Status", "Input Status", "Holding Register",
                                 "Input Register"};
        for (int i = 0; i < 455; ++i)
            sdo += "<row Slave_ID=\"" + std::to_string(1 + i % 250) + "\" Type=\"" +
                   inTypes[i % 4] + "\" Address_Mod=\"0x" + std::to_string(1000 + i) +
                   "\" NPoint=\"" + std::to_string(1 + i % 127) + "\" Swap=\"" +
                   (i % 2 ? "Y" : "N") + "\" Address_DeviceNet=\"" + std::to_string(i) +
                   "\" Mnemonic=\"read " + std::to_string(i) + "\"/>";
        sdo += "</DeviceNet_IN><DeviceNet_OUT>";
        for (int i = 0; i < 455; ++i)
            sdo += "<row Slave_ID=\"" + std::to_string(1 + i % 250) + "\" Type=\"" +
                   (i % 2 ? "Coil Status" : "Holding Register") + "\" Address_Mod=\"" +
                   std::to_string(2000 + i) + "\" NPoint=\"" + std::to_string(1 + i % 127) +
                   "\" Swap=\"N\" Address_DeviceNet=\"" + std::to_string(i) +
                   "\" Mnemonic=\"write " + std::to_string(i) + "\"/>";
        sdo += "</DeviceNet_OUT></Serial_to_ProfiBus>";
        WriteFileAtomic(folder + "/sdo.xml", sdo);
    }
    ~FullProject() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

FullProject& Full() {
    static FullProject p;
    return p;
}

// From the folder: read both files into the model, then pack the image.
void BM_BuildImage(benchmark::State& state) {
    const std::string& folder = Full().folder;
    size_t bytes = 0;
    for (auto _ : state) {
        auto image = BuildImage(folder);
        bytes = image.size();
        benchmark::DoNotOptimize(image);
    }
    if (bytes != 8 + 8 * 910 + 22) state.SkipWithError("unexpected image length");
    state.SetLabel(std::to_string(bytes) + " bytes");
}
BENCHMARK(BM_BuildImage)->Unit(benchmark::kMicrosecond);

void BM_ParseBothFilesOnly(benchmark::State& state) {
    const std::string sdo = Full().folder + "/sdo.xml";
    const std::string pargen = Full().folder + "/pargen.xml";
    for (auto _ : state) {
        pugi::xml_document a, b;
        benchmark::DoNotOptimize(a.load_file(sdo.c_str()));
        benchmark::DoNotOptimize(b.load_file(pargen.c_str()));
    }
}
BENCHMARK(BM_ParseBothFilesOnly)->Unit(benchmark::kMicrosecond);

// Build plus the atomic, flushed write of bank.bin.
void BM_BuildAndWriteBank(benchmark::State& state) {
    const std::string& folder = Full().folder;
    for (auto _ : state)
        WriteImage(folder, BuildImage(folder));
}
BENCHMARK(BM_BuildAndWriteBank)->Unit(benchmark::kMicrosecond);

} // namespace
