// tessaro-cli probe: polls the project's access map on the serial line.
#include "cli/Cli.h"
#include "core/device/BusProbe.h"
#include "core/project/ParseInteger.h"
#include "core/project/Text.h"

#include <cstdio>
#include <iostream>

namespace cli {

const char* const kProbeHelp =
    "Usage: tessaro-cli probe PROJECT_FOLDER --port DEVICE [--repeat N] [--json]\n"
    "                         [--data-bits N] [--stop-bits N]\n"
    "\n"
    "Polls every row of the access map (read table, then write table) on the\n"
    "serial line with the project's baud rate, parity, protocol, time-out and\n"
    "cyclic delay, as the gateway would. Write-table rows are read, never written.\n"
    "Prints one line a row and the summary last; --json prints one entry a row.\n"
    "--repeat N runs N passes. Data bits default to 8 (7 for Modbus ASCII), stop\n"
    "bits to 1.\n"
    "Exit status: 0 every row answered, 1 otherwise, 2 wrong usage or the port\n"
    "cannot be opened.\n";

namespace {
std::string Ms(double ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", ms);
    return buf;
}

bool IsRegister(const ProbeRow& row) {
    return row.Request.Function == 3 || row.Request.Function == 4;
}

std::string RowLine(const ProbeRow& row, const ProbeResult& r, int protocol) {
    std::string s = std::string(row.Table == AccessTable::Read ? "read" : "write") + " " +
                    std::to_string(row.Number) + ": slave " + row.Cells.SlaveId + ", " +
                    row.Cells.Type + " " + row.Cells.AddressMod + ", " + row.Cells.NPoint +
                    (row.Cells.NPoint == "1" ? " point" : " points");
    if (!row.Cells.Mnemonic.empty()) s += " (" + row.Cells.Mnemonic + ")";
    s += ": " + OutcomeText(r, protocol);
    if (!r.Values.empty()) s += ": " + ValuesText(r.Values, IsRegister(row));
    if (r.Outcome != ProbeOutcome::NotTested) s += ", " + Ms(r.Milliseconds) + " ms";
    return s;
}

std::string RowJson(const ProbeRow& row, const ProbeResult& r, int protocol, int pass) {
    std::string s = "{\"pass\": " + std::to_string(pass) + ", \"table\": \"" +
                    (row.Table == AccessTable::Read ? "read" : "write") +
                    "\", \"row\": " + std::to_string(row.Number) +
                    ", \"slave\": " + JsonString(row.Cells.SlaveId) +
                    ", \"type\": " + JsonString(row.Cells.Type) +
                    ", \"address\": " + JsonString(row.Cells.AddressMod) +
                    ", \"points\": " + JsonString(row.Cells.NPoint) +
                    ", \"mnemonic\": " + JsonString(row.Cells.Mnemonic) +
                    ", \"function\": " + std::to_string(row.Request.Function) +
                    ", \"outcome\": \"" + OutcomeKey(r.Outcome) +
                    "\", \"text\": " + JsonString(OutcomeText(r, protocol)) + ", \"exception\": ";
    s += r.Outcome == ProbeOutcome::Exception ? std::to_string(r.ExceptionCode) : "null";
    s += ", \"values\": [";
    for (size_t i = 0; i < r.Values.size(); ++i)
        s += (i ? ", " : "") + std::to_string(r.Values[i]);
    s += "], \"ms\": ";
    s += r.Outcome == ProbeOutcome::NotTested ? "null" : Ms(r.Milliseconds);
    return s + "}";
}
} // namespace

int Probe(const Args& args) {
    std::string folder, port;
    int repeat = 1, dataBits = 0, stopBits = 0;
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto number = [&](int lo, int hi, int& into) {
            if (i + 1 >= args.size()) return false;
            auto v = TryParseInteger(args[++i]);
            if (!v || *v < lo || *v > hi) return false;
            into = *v;
            return true;
        };
        if (a == "--json") {
            json = true;
        } else if (a == "--port") {
            if (i + 1 >= args.size()) return Usage(kProbeHelp, "--port needs a device");
            port = args[++i];
        } else if (a == "--repeat") {
            if (!number(1, 1000000, repeat))
                return Usage(kProbeHelp, "--repeat needs a number of passes from 1");
        } else if (a == "--data-bits") {
            if (!number(7, 8, dataBits)) return Usage(kProbeHelp, "--data-bits takes 7 or 8");
        } else if (a == "--stop-bits") {
            if (!number(1, 2, stopBits)) return Usage(kProbeHelp, "--stop-bits takes 1 or 2");
        } else if (folder.empty() && IsOperand(a)) {
            folder = a;
        } else {
            return Usage(kProbeHelp, "unexpected argument '" + a + "'");
        }
    }
    if (folder.empty()) return Usage(kProbeHelp, "probe needs a project folder");
    if (port.empty()) return Usage(kProbeHelp, "probe needs --port DEVICE");
    if (!FolderFound(folder)) return kFailed;

    ProbePlan plan = LoadProbePlan(folder);
    if (dataBits) plan.Settings.DataBits = dataBits;
    if (stopBits) plan.Settings.StopBits = stopBits;
    const int protocol = plan.Settings.Protocol;
    if (!ProtocolTestable(protocol)) {
        std::cerr << "tessaro-cli: the project's protocol is " << ProtocolName(protocol)
                  << ", which is not Modbus: the probe cannot test it\n";
        return kFailed;
    }
    if (plan.Rows.empty()) {
        std::cerr << "tessaro-cli: the access map has no rows\n";
        return kFailed;
    }

    BusProbe probe(plan.Settings);
    try {
        probe.Open(port);
    } catch (const EProbePort& e) {
        std::cerr << "tessaro-cli: " << e.what() << "\n";
        return kUsage;
    }

    ProbeTally tally;
    int pass = 1;
    bool first = true;
    if (json) std::cout << "{\"rows\": [";
    probe.Run(plan.Rows, repeat, [&](size_t i, const ProbeResult& r) {
        tally.Add(r.Outcome);
        if (json) {
            std::cout << (first ? "\n  " : ",\n  ") << RowJson(plan.Rows[i], r, protocol, pass);
        } else {
            if (i == 0 && repeat > 1) std::cout << "pass " << pass << " of " << repeat << "\n";
            std::cout << LineText(RowLine(plan.Rows[i], r, protocol)) << "\n";
        }
        first = false;
        if (i + 1 == plan.Rows.size()) ++pass;
        std::cout.flush();
    });
    if (json) {
        std::cout << "\n], \"summary\": {\"answered\": " << tally.Answered
                  << ", \"exceptions\": " << tally.Exceptions
                  << ", \"no_answer\": " << tally.NoAnswer
                  << ", \"bad_frames\": " << tally.BadFrames
                  << ", \"not_tested\": " << tally.NotTested
                  << ", \"port_errors\": " << tally.PortErrors
                  << ", \"text\": " << JsonString(tally.Text()) << "}}\n";
    } else {
        std::cout << tally.Text() << "\n";
    }
    const size_t expected = plan.Rows.size() * static_cast<size_t>(repeat);
    return tally.Answered == static_cast<int>(expected) ? kOk : kFailed;
}
} // namespace cli
