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
    "                         [--data-bits N] [--stop-bits N] [--as FORM]\n"
    "\n"
    "Polls every row of the access map (read table, then write table) on the\n"
    "serial line with the project's baud rate, parity, protocol, time-out and\n"
    "cyclic delay, as the gateway would. Write-table rows are read, never written.\n"
    "Prints one line a row and the summary last; --json prints one entry a row.\n"
    "--repeat N runs N passes. Data bits default to 8 (7 for Modbus ASCII), stop\n"
    "bits to 1.\n"
    "--as shows register values as u16, s16, hex, or a pair of registers as\n"
    "u32-, s32- or f32- with the byte order abcd (big-endian), cdab, badc or dcba,\n"
    "e.g. --as f32-cdab. --json gives every form under \"decoded\".\n"
    "Exit status: 0 every row answered, 1 otherwise, 2 wrong usage or the port\n"
    "cannot be opened.\n";

namespace {
// Most passes --repeat takes.
constexpr int kMaxPasses = 1000000;

std::string Ms(double ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", ms);
    return buf;
}

bool IsRegister(const ProbeRow& row) {
    return row.Request.Function == 3 || row.Request.Function == 4;
}

std::string RowLine(const ProbeRow& row, const ProbeResult& r, int protocol,
                    std::optional<ValueForm> form) {
    std::string s = std::string(row.Table == AccessTable::Read ? "read" : "write") + " " +
                    std::to_string(row.Number) + ": slave " + row.Cells.SlaveId + ", " +
                    row.Cells.Type + " " + row.Cells.AddressMod + ", " + row.Cells.NPoint +
                    (row.Cells.NPoint == "1" ? " point" : " points");
    if (!row.Cells.Mnemonic.empty()) s += " (" + row.Cells.Mnemonic + ")";
    s += ": " + OutcomeText(r, protocol);
    if (!r.Values.empty()) s += ": " + ValuesText(r.Values, IsRegister(row), form);
    if (r.Outcome != ProbeOutcome::NotTested) s += ", " + Ms(r.Milliseconds) + " ms";
    return s;
}

// Every form of the registers: u16, s16, then u32_/s32_/f32_ of each pair in
// the four orders; a float that is not a number is "nan", "inf" or "-inf".
std::string DecodedJson(const std::vector<uint16_t>& regs) {
    std::string s = "{";
    auto array = [&](const std::string& key, auto value, size_t n) {
        s += (s.size() > 1 ? ", \"" : "\"") + key + "\": [";
        for (size_t i = 0; i < n; ++i)
            s += (i ? ", " : "") + value(i);
        s += "]";
    };
    array(
        "u16", [&](size_t i) { return std::to_string(regs[i]); }, regs.size());
    array(
        "s16", [&](size_t i) { return std::to_string(static_cast<int16_t>(regs[i])); },
        regs.size());
    for (const char* kind : {"u32", "s32", "f32"})
        for (WordOrder o : {WordOrder::Abcd, WordOrder::Cdab, WordOrder::Badc, WordOrder::Dcba}) {
            auto value = [&](size_t i) -> std::string {
                const uint32_t bits = Join32(regs[2 * i], regs[2 * i + 1], o);
                if (kind[0] == 'u') return std::to_string(bits);
                if (kind[0] == 's') return std::to_string(static_cast<int32_t>(bits));
                const std::string f = FloatShortest(FloatOfBits(bits));
                return f.back() == 'n' || f.back() == 'f' ? "\"" + f + "\"" : f;
            };
            array(std::string(kind) + "_" + WordOrderName(o), value, regs.size() / 2);
        }
    return s + "}";
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
    if (IsRegister(row)) s += ", \"decoded\": " + DecodedJson(r.Values);
    return s + "}";
}
} // namespace

int Probe(const Args& args) {
    std::string folder, port;
    int repeat = 1, dataBits = 0, stopBits = 0;
    bool json = false;
    // Raw values, so that a repeated option is told apart from a default.
    std::string repeatText, dataBitsText, stopBitsText, formText;
    std::optional<ValueForm> form;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string a = args[i];
        // Each number option names its range in its message.
        auto number = [&](std::string& text, int lo, int hi, int& into, const std::string& what) {
            if (int rc = TakeValue(args, i, kProbeHelp, what, text); rc >= 0) return rc;
            auto v = TryParseInteger(text);
            if (!v || *v < lo || *v > hi) return Usage(kProbeHelp, what);
            into = *v;
            return -1;
        };
        int rc = -1;
        if (a == "--json") {
            json = true;
        } else if (a == "--port") {
            rc = TakeValue(args, i, kProbeHelp, "--port needs a device", port);
        } else if (a == "--repeat") {
            rc =
                number(repeatText, 1, kMaxPasses, repeat,
                       "--repeat needs a number of passes from 1 to " + std::to_string(kMaxPasses));
        } else if (a == "--data-bits") {
            rc = number(dataBitsText, 7, 8, dataBits, "--data-bits takes 7 or 8");
        } else if (a == "--stop-bits") {
            rc = number(stopBitsText, 1, 2, stopBits, "--stop-bits takes 1 or 2");
        } else if (a == "--as") {
            const char* forms = "--as takes u16, s16, hex, or u32-, s32-, f32- with abcd, cdab, "
                                "badc, dcba";
            rc = TakeValue(args, i, kProbeHelp, forms, formText);
            if (rc < 0 && !(form = ParseValueForm(formText))) return Usage(kProbeHelp, forms);
        } else if (folder.empty() && IsOperand(a)) {
            folder = a;
        } else {
            return Usage(kProbeHelp, "unexpected argument '" + a + "'");
        }
        if (rc >= 0) return rc;
    }
    if (folder.empty()) return Usage(kProbeHelp, "probe needs a project folder");
    if (port.empty()) return Usage(kProbeHelp, "probe needs --port DEVICE");
    folder = LookUpProject(folder);
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
            std::cout << LineText(RowLine(plan.Rows[i], r, protocol, form)) << "\n";
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
