// Bus probe on the pty simulator: 455 rows by the probe, then the same
// requests by pymodbus's serial client, interleaved RUNS times. Prints
// "bus-probe <our median ms> <pymodbus median ms> <overhead median ms>", the
// overhead being a request's round trip minus the simulator's own time for it.
#include "ModbusSim.h"
#include "core/device/BusProbe.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace {
double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::vector<std::pair<long long, long long>> TimingLines(const std::string& path, size_t from) {
    std::ifstream in(path);
    std::vector<std::pair<long long, long long>> out;
    std::string line;
    for (size_t i = 0; std::getline(in, line); ++i) {
        if (i < from) continue;
        std::istringstream s(line);
        long long a = 0, b = 0;
        if (s >> a >> b) out.emplace_back(a, b);
    }
    return out;
}
} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    char dir[] = "/tmp/tessaro-bus-probe-XXXXXX";
    if (!::mkdtemp(dir)) return 1;
    const std::string timing = std::string(dir) + "/timing", rowsFile = std::string(dir) + "/rows";
    ModbusSim sim("rtu", timing);

    AccessMap map;
    const char* types[] = {"Coil Status", "Input Status", "Holding Register", "Input Register"};
    for (int i = 0; i < AccessMapRows; ++i)
        map.In.push_back({i % 2 ? "1" : "11", types[i % 4], std::to_string(i % 90),
                          std::to_string(1 + i % 10), "N", "0", ""});
    const auto rows = ProbeRows(map);
    {
        std::ofstream out(rowsFile);
        for (const auto& r : rows)
            out << int(r.Request.Slave) << " " << int(r.Request.Function) << " "
                << r.Request.Address << " " << r.Request.Count << "\n";
    }
    ProbeSettings s;
    s.CyclicDelayMs = 0;
    s.TimeoutMs = 1000;

    std::vector<double> ours, anchor, overhead;
    size_t seen = 0; // timing lines so far
    for (int run = 0; run < runs; ++run) {
        BusProbe probe(s);
        probe.Open(sim.port());
        std::vector<double> rtt;
        const auto t0 = std::chrono::steady_clock::now();
        probe.Run(rows, 1, [&](size_t, const ProbeResult& r) {
            if (r.Outcome != ProbeOutcome::Answered) {
                std::cerr << "row not answered: " << OutcomeText(r, 0) << "\n";
                std::exit(1);
            }
            rtt.push_back(r.Milliseconds);
        });
        ours.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
        probe.Close();
        // The simulator notes a reply just after sending it.
        auto lines = TimingLines(timing, seen);
        for (int wait = 0; wait < 100 && lines.size() < rtt.size(); ++wait) {
            ::usleep(10000);
            lines = TimingLines(timing, seen);
        }
        if (lines.size() != rtt.size()) {
            std::cerr << "simulator timed " << lines.size() << " of " << rtt.size() << "\n";
            return 1;
        }
        for (size_t i = 0; i < rtt.size(); ++i)
            overhead.push_back(rtt[i] - (lines[i].second - lines[i].first) / 1e6);
        seen += lines.size();

        const std::string cmd =
            "/usr/bin/python3 " BENCH_DIR "/pymodbus_client.py " + sim.port() + " " + rowsFile;
        FILE* p = ::popen(cmd.c_str(), "r");
        double ms = 0;
        if (!p || std::fscanf(p, "%lf", &ms) != 1 || ::pclose(p) != 0) {
            std::cerr << "pymodbus client failed\n";
            return 1;
        }
        anchor.push_back(ms);
        seen += rows.size();
        for (int wait = 0; wait < 100 && TimingLines(timing, 0).size() < seen; ++wait)
            ::usleep(10000);
    }
    sim.stop();
    std::remove(timing.c_str());
    std::remove(rowsFile.c_str());
    ::rmdir(dir);
    std::printf("bus-probe %.3f %.3f %.3f\n", Median(ours), Median(anchor), Median(overhead));
    return 0;
}
