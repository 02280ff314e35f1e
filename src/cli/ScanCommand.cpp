// tessaro-cli scan: which slaves answer on a line, at which baud rate and parity.
#include "cli/Cli.h"
#include "core/device/BusScan.h"
#include "core/project/ParseInteger.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace cli {

const char* const kScanHelp =
    "Usage: tessaro-cli scan --port DEVICE [--ids 1-247] [--bauds LIST] [--parity LIST]\n"
    "                        [--protocol rtu|ascii] [--timeout MS] [--all] [--json]\n"
    "\n"
    "Finds the slaves on the line: at each baud rate and parity, reads holding\n"
    "register 0 of every slave ID (then coil 0 of the silent ones, where another\n"
    "slave answered). Any reply, data or exception, counts as a slave present.\n"
    "Nothing is ever written. Stops after the first setting at which slaves\n"
    "answer unless --all is given; Ctrl+C stops within one time-out and still\n"
    "prints what was found.\n"
    "  --ids       IDs or ranges, e.g. 1-10,20 (default 1-247)\n"
    "  --bauds     rates of the communication list, e.g. 9600,19200 (default all)\n"
    "  --parity    none, even, odd, comma-separated (default all three)\n"
    "  --protocol  rtu (8 data bits) or ascii (7 data bits), 1 stop bit (default rtu)\n"
    "  --timeout   milliseconds a request, 1 to 10000 (default 100)\n"
    "  --json      the slaves found and the settings tried as JSON\n"
    "Exit status: 0 a slave was found, 1 none, 2 wrong usage or the port cannot\n"
    "be opened.\n";

namespace {
std::atomic<BusScan*> g_scan{nullptr};

extern "C" void OnInterrupt(int) {
    if (BusScan* s = g_scan) s->Stop();
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ',');)
        out.push_back(part);
    if (text.empty() || text.back() == ',') out.push_back({});
    return out;
}

std::string FoundJson(const ScanFound& f) {
    return "{\"slave\": " + std::to_string(f.Slave) + ", \"baud\": " + std::to_string(f.Line.Baud) +
           ", \"parity\": \"" + ParityKey(f.Line.Parity) +
           "\", \"dataBits\": " + std::to_string(f.Line.DataBits) +
           ", \"stopBits\": " + std::to_string(f.Line.StopBits) + ", \"protocol\": \"" +
           (f.Line.Protocol == 1 ? "ascii" : "rtu") + "\", \"reply\": \"" + ScanReplyText(f.Reply) +
           "\"}";
}

// Sets SIGINT to stop the scan for as long as it lives.
class InterruptStops {
public:
    explicit InterruptStops(BusScan& scan) {
        g_scan = &scan;
        struct sigaction sa {};
        sa.sa_handler = OnInterrupt;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGINT, &sa, &old_);
    }
    ~InterruptStops() {
        ::sigaction(SIGINT, &old_, nullptr);
        g_scan = nullptr;
    }
    InterruptStops(const InterruptStops&) = delete;
    InterruptStops& operator=(const InterruptStops&) = delete;

private:
    struct sigaction old_ {};
};
} // namespace

int Scan(const Args& args) {
    std::string port;
    ScanOptions o;
    o.Ids = ParseIdRange("1-247");
    o.Bauds = DefaultScanBauds();
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--json") {
            json = true;
        } else if (a == "--all") {
            o.All = true;
        } else if (a == "--port") {
            if (!hasValue) return Usage(kScanHelp, "--port needs a device");
            port = args[++i];
        } else if (a == "--ids") {
            o.Ids = hasValue ? ParseIdRange(args[++i]) : std::vector<int>{};
            if (o.Ids.empty())
                return Usage(kScanHelp, "--ids takes IDs or ranges from 1 to 247, e.g. 1-10,20");
        } else if (a == "--bauds") {
            o.Bauds.clear();
            for (const std::string& b : hasValue ? Split(args[++i]) : std::vector<std::string>{})
                if (auto v = TryParseInteger(b); v && SerBaudCode(*v) >= 0)
                    o.Bauds.push_back(*v);
                else
                    return Usage(kScanHelp, "--bauds takes rates of 1200, 2400, 4800, 9600, "
                                            "19200, 38400, 57600, 115200");
            if (o.Bauds.empty()) return Usage(kScanHelp, "--bauds needs a list of rates");
        } else if (a == "--parity") {
            o.Parities.clear();
            for (const std::string& p : hasValue ? Split(args[++i]) : std::vector<std::string>{})
                if (p == "none" || p == "even" || p == "odd")
                    o.Parities.push_back(p == "none"   ? TParity::paNone
                                         : p == "even" ? TParity::paEven
                                                       : TParity::paOdd);
                else
                    return Usage(kScanHelp, "--parity takes none, even, odd");
            if (o.Parities.empty()) return Usage(kScanHelp, "--parity needs a list");
        } else if (a == "--protocol") {
            const std::string p = hasValue ? args[++i] : "";
            if (p != "rtu" && p != "ascii")
                return Usage(kScanHelp, "--protocol takes rtu or ascii");
            o.Protocol = p == "ascii" ? 1 : 0;
        } else if (a == "--timeout") {
            auto v = hasValue ? TryParseInteger(args[++i]) : std::nullopt;
            if (!v || *v < 1 || *v > 10000)
                return Usage(kScanHelp, "--timeout takes milliseconds from 1 to 10000");
            o.TimeoutMs = *v;
        } else {
            return Usage(kScanHelp, "unexpected argument '" + a + "'");
        }
    }
    if (port.empty()) return Usage(kScanHelp, "scan needs --port DEVICE");

    BusScan scan(o);
    try {
        scan.Open(port);
    } catch (const EProbePort& e) {
        std::cerr << "tessaro-cli: " << e.what() << "\n";
        return kUsage;
    }
    const bool progress = ::isatty(STDERR_FILENO);
    size_t shownWidth = 0;
    auto clearProgress = [&] {
        if (!shownWidth) return;
        std::cerr << "\r" << std::string(shownWidth, ' ') << "\r" << std::flush;
        shownWidth = 0;
    };
    ScanSummary sum;
    {
        InterruptStops interrupt(scan);
        sum = scan.Run(
            [&](const ScanProgress& p) {
                if (!progress) return;
                std::string line =
                    "scanning " + LineText(p.Line) + ": slave " + std::to_string(p.Slave) +
                    " (setting " + std::to_string(p.Setting + 1) + " of " +
                    std::to_string(p.Settings) + ", " + std::to_string(p.Found) + " found)";
                if (line.size() < shownWidth) line += std::string(shownWidth - line.size(), ' ');
                shownWidth = line.size();
                std::cerr << "\r" << line << std::flush;
            },
            [&](const ScanFound& f) {
                if (json) return;
                clearProgress();
                std::cout << FoundText(f) << std::endl;
            });
    }
    clearProgress();
    for (const std::string& s : sum.Skipped)
        std::cerr << "tessaro-cli: skipped " << s << ": the port cannot take it\n";
    if (!sum.PortError.empty())
        std::cerr << "tessaro-cli: the port failed, the scan ended: " << sum.PortError << "\n";
    else if (sum.Stopped)
        std::cerr << "tessaro-cli: scan stopped\n";
    if (json) {
        std::cout << "{\"found\": [";
        for (size_t i = 0; i < sum.Found.size(); ++i)
            std::cout << (i ? ", " : "") << FoundJson(sum.Found[i]);
        std::cout << "], \"tried\": {\"settings\": " << sum.SettingsTried
                  << ", \"ids\": " << sum.Ids << "}}\n";
    } else {
        std::cout << sum.Text() << "\n";
    }
    return sum.Found.empty() ? kFailed : kOk;
}
} // namespace cli
