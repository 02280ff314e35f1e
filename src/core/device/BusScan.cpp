#include "core/device/BusScan.h"

#include "core/model/Project.h"

#include "core/editors/CommParams.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>
#include <sstream>

std::vector<int> DefaultScanBauds() {
    return {9600, 19200, 38400, 57600, 115200, 4800, 2400, 1200};
}

std::vector<int> ParseIdRange(const std::string& text) {
    std::vector<int> out;
    std::set<int> seen;
    std::stringstream in(text);
    std::string part;
    bool any = false;
    while (std::getline(in, part, ',')) {
        any = true;
        const size_t dash = part.find('-', 1);
        auto lo = TryParseInteger(part.substr(0, dash));
        auto hi = dash == std::string::npos ? lo : TryParseInteger(part.substr(dash + 1));
        if (!lo || !hi || *lo < 1 || *hi > 247 || *lo > *hi) return {};
        for (int id = *lo; id <= *hi; ++id)
            if (seen.insert(id).second) out.push_back(id);
    }
    if (!any || text.back() == ',') return {};
    return out;
}

ProbeSettings ScanLine(const ScanOptions& o, int baud, TParity parity) {
    ProbeSettings s;
    s.Protocol = o.Protocol;
    s.Baud = baud;
    s.Parity = parity;
    s.DataBits = o.Protocol == 1 ? 7 : 8;
    s.StopBits = 1;
    // The time-out runs from the end of the request on the wire, which at
    // 1200 baud takes longer than the default time-out itself.
    const int chars = o.Protocol == 1 ? 17 : 8;
    const int bits = 1 + s.DataBits + (parity == TParity::paNone ? 0 : 1) + s.StopBits;
    s.TimeoutMs = std::max(1, o.TimeoutMs) + chars * bits * 1000 / std::max(baud, 1);
    s.CyclicDelayMs = 0;
    return s;
}

const char* ParityKey(TParity p) {
    return p == TParity::paEven ? "even" : p == TParity::paOdd ? "odd" : "none";
}

std::string LineText(const ProbeSettings& s) {
    const char parity = s.Parity == TParity::paEven ? 'E' : s.Parity == TParity::paOdd ? 'O' : 'N';
    return std::to_string(s.Baud) + " " + std::to_string(s.DataBits) + parity +
           std::to_string(s.StopBits);
}

std::string ScanReplyText(const ProbeResult& r) {
    if (r.Outcome != ProbeOutcome::Exception) return OutcomeKey(r.Outcome);
    char code[16];
    std::snprintf(code, sizeof code, "exception %02X", r.ExceptionCode & 0xFF);
    return code;
}

std::string FoundText(const ScanFound& f) {
    return "slave " + std::to_string(f.Slave) + " at " + LineText(f.Line) + " " +
           ProtocolName(f.Line.Protocol) + " (read " +
           (f.Function == 1 ? "coil 0: " : "holding register 0: ") + ScanReplyText(f.Reply) + ")";
}

std::string ScanSummary::Text() const {
    if (Found.empty())
        return "no slave answered (" + std::to_string(SettingsTried) +
               (SettingsTried == 1 ? " setting x " : " settings x ") + std::to_string(Ids) +
               (Ids == 1 ? " ID tried)" : " IDs tried)");
    std::vector<std::string> lines;
    for (const ScanFound& f : Found) {
        const std::string l = LineText(f.Line);
        if (std::find(lines.begin(), lines.end(), l) == lines.end()) lines.push_back(l);
    }
    std::string s =
        std::to_string(Found.size()) + (Found.size() == 1 ? " slave" : " slaves") + " found at ";
    for (size_t i = 0; i < lines.size(); ++i)
        s += (i ? ", " : "") + lines[i];
    return s;
}

BusScan::BusScan(ScanOptions options)
    : options_(std::move(options)), probe_([&] {
          ProbeSettings s = ScanLine(options_, 19200, TParity::paNone);
          if (!options_.Bauds.empty() && !options_.Parities.empty())
              s = ScanLine(options_, options_.Bauds.front(), options_.Parities.front());
          return s;
      }()) {}

void BusScan::Open(const std::string& device) {
    stop_ = false;
    probe_.Open(device);
}

ScanSummary BusScan::Run(const std::function<void(const ScanProgress&)>& onProgress,
                         const std::function<void(const ScanFound&)>& onFound) {
    ScanSummary sum;
    sum.Ids = options_.Ids.size();
    std::vector<ProbeSettings> lines;
    for (int baud : options_.Bauds)
        for (TParity p : options_.Parities)
            lines.push_back(ScanLine(options_, baud, p));
    ScanProgress at;
    at.Settings = lines.size();
    at.Steps = lines.size() * options_.Ids.size();

    // One read; nothing when the scan must end (stopped or the port failed).
    auto ask = [&](int slave, int function) -> std::optional<ProbeOutcome> {
        if (stop_) return std::nullopt;
        at.Slave = slave;
        at.Function = function;
        if (onProgress) onProgress(at);
        ModbusRequest req;
        req.Slave = static_cast<uint8_t>(slave);
        req.Function = static_cast<uint8_t>(function);
        ProbeResult r = probe_.Transact(req);
        if (r.Outcome == ProbeOutcome::PortError) {
            sum.PortError = r.Detail;
            return std::nullopt;
        }
        if (r.Outcome == ProbeOutcome::Answered || r.Outcome == ProbeOutcome::Exception) {
            sum.Found.push_back({slave, at.Line, function, r});
            at.Found = sum.Found.size();
            if (onFound) onFound(sum.Found.back());
        }
        return r.Outcome;
    };

    for (size_t i = 0; i < lines.size() && !stop_ && sum.PortError.empty(); ++i) {
        at.Setting = i;
        at.Line = lines[i];
        try {
            probe_.Reconfigure(lines[i]);
        } catch (const EProbePort& e) {
            if (e.Code == EINVAL && probe_.IsOpen()) {
                sum.Skipped.push_back(LineText(lines[i]));
                continue;
            }
            sum.PortError = e.Reason;
            break;
        }
        ++sum.SettingsTried;
        const size_t before = sum.Found.size();
        std::vector<int> silent;
        bool going = true;
        for (int id : options_.Ids) {
            const auto o = ask(id, 3);
            if (!(going = o.has_value())) break;
            ++at.Step;
            if (*o == ProbeOutcome::NoAnswer) silent.push_back(id);
        }
        // A slave without holding registers may stay silent to 03: ask it
        // for a coil, but only on a line that is known to answer.
        if (going && sum.Found.size() > before)
            for (int id : silent)
                if (!ask(id, 1)) break;
        if (sum.Found.size() > before && !options_.All) break;
    }
    sum.Stopped = stop_;
    return sum;
}

int SerBaudCode(int baud) {
    for (size_t i = 0; i < SerBaudItems.size(); ++i)
        if (SerBaudItems[i] == std::to_string(baud)) return static_cast<int>(i);
    return -1;
}

int SerParCode(TParity p) {
    return p == TParity::paEven ? 1 : p == TParity::paOdd ? 2 : 0;
}

void ApplyLineSettings(Project& project, int serBaudCode, int serParCode) {
    // As Set Communication's OK: the editor's reading of the file, two
    // fields changed, the file's writer.
    project.reloadParams();
    const ParamsPart& part = project.params();
    part.report.requireReadable();
    CommParams p;
    if (part.report.present()) ReadCommParams(part, p);
    p.SerBaud = serBaudCode;
    p.SerPar = serParCode;
    project.saveParams(p);
}
