// Merging banks 1 and 2 into a firmware that fills 4 MiB of addresses
// (131,072 S2 records), by the composer and by srec_cat for comparison.
#include "core/device/FirmwareComposer.h"
#include "core/project/FileSystem.h"

#include "../tests/support/FirmwareSrec.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace srectest;

namespace {

struct Fixture {
    std::string dir;
    Fixture() {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "tessaro-bench-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) std::abort();
        dir = tmpl;
        CreateDir(dir + "/bin");
        CreateDir(dir + "/proj");
        std::string fw = Header() + "\r\n" + S2Block(0, 0x400000) + S9() + "\r\n";
        WriteFileAtomic(dir + "/fw.sx", fw);
        for (int b = 0; b < BankCount; ++b)
            WriteFileAtomic(dir + "/bin/bank" + std::to_string(b + 1) + ".bin", BankImage(b));
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

Fixture& Files() {
    static Fixture f;
    return f;
}

void BM_ComposerTwoBanks(benchmark::State& state) {
    Fixture& f = Files();
    FirmwareComposer c;
    c.BinFolder = f.dir + "/bin/";
    c.SelectFirmware(f.dir, "fw.sx", f.dir + "/proj");
    for (auto _ : state) {
        std::vector<int> r = c.Compose({true, true, false, false, false});
        if (r.size() != 5 || r[1] != 1) state.SkipWithError("merge failed");
    }
    state.counters["firmware_bytes"] = double(std::filesystem::file_size(f.dir + "/fw.sx"));
}
BENCHMARK(BM_ComposerTwoBanks)->Unit(benchmark::kMillisecond);

void BM_SrecCatTwoBanks(benchmark::State& state) {
    Fixture& f = Files();
    if (std::system("srec_cat -version >/dev/null 2>&1") != 0) {
        state.SkipWithError("srec_cat not installed (package srecord)");
        return;
    }
    const std::string cmd = "srec_cat " + f.dir + "/fw.sx -exclude 0x388000 0x38C000 -exclude " +
                            "0x398000 0x39C000 " + f.dir + "/bin/bank1.bin -binary -offset " +
                            "0x388000 " + f.dir + "/bin/bank2.bin -binary -offset 0x398000 " +
                            "-o " + f.dir + "/proj/srec_cat.sx -address-length=3";
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("srec_cat failed");
    }
}
BENCHMARK(BM_SrecCatTwoBanks)->Unit(benchmark::kMillisecond);

} // namespace
