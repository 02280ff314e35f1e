// Bus scan of 247 slave IDs at one setting on the silent pty simulator, RUNS
// times. Prints "bus-scan <median ms> <247 time-outs in ms> <median ms of 247
// bare waits>": a silent line should cost no more than its time-outs. The bare
// waits (select() of one time-out each, as libmodbus waits) show what the
// machine itself adds: a loaded one wakes late.
#include "ModbusSim.h"
#include "core/device/BusScan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sys/select.h>

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int timeout = 20;
    ModbusSim sim("rtu", {}, {"--silent"});
    ScanOptions o;
    o.Ids = ParseIdRange("1-247");
    o.Bauds = {115200};
    o.Parities = {TParity::paNone};
    o.TimeoutMs = timeout;
    using Clock = std::chrono::steady_clock;
    auto since = [](Clock::time_point t0) {
        return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    };
    std::vector<double> ms, bare;
    for (int run = 0; run < runs; ++run) {
        BusScan scan(o);
        scan.Open(sim.port());
        auto t0 = Clock::now();
        const ScanSummary sum = scan.Run({}, {});
        ms.push_back(since(t0));
        if (!sum.Found.empty() || sum.SettingsTried != 1 || !sum.PortError.empty()) {
            std::cerr << "unexpected scan: " << sum.Text() << " " << sum.PortError << "\n";
            return 1;
        }
        t0 = Clock::now();
        for (int i = 0; i < 247; ++i) {
            timeval tv{0, timeout * 1000};
            ::select(0, nullptr, nullptr, nullptr, &tv);
        }
        bare.push_back(since(t0));
    }
    std::sort(ms.begin(), ms.end());
    std::sort(bare.begin(), bare.end());
    std::printf("bus-scan %.3f %.3f %.3f\n", ms[ms.size() / 2], 247.0 * timeout,
                bare[bare.size() / 2]);
    return 0;
}
