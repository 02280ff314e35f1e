#include "core/device/BusProbe.h"

#include "core/model/Project.h"

#include "core/device/DeviceUpdate.h"
#include "core/editors/CommParams.h"
#include "core/project/FileSystem.h"
#include "core/project/Lookup.h"
#include "core/project/ParseInteger.h"
#include "core/tools/CsvCell.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <modbus/modbus.h>
#include <poll.h>
#include <set>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

TBaudrate BaudEnum(int rate) {
    for (int i = 0; i <= static_cast<int>(TBaudrate::br3000000); ++i)
        if (BaudrateValue(static_cast<TBaudrate>(i)) == rate) return static_cast<TBaudrate>(i);
    return TBaudrate::br115200;
}

ProbeResult Outcome(ProbeOutcome o, std::string detail = {}) {
    ProbeResult r;
    r.Outcome = o;
    r.Detail = std::move(detail);
    return r;
}

int ReadFunction(const std::string& type, AccessTable table) {
    // The image's type code is the reading function: 01 to 04; write rows
    // are probed by reading the same addresses.
    return AccessTypeCode(table, type).value_or(0);
}

// The port's errno in the words of the CLI and the window.
std::string PortReason(int code) {
    switch (code) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "missing: no such port";
    case EBUSY:
    case EWOULDBLOCK:
        return "in use by another program";
    case EACCES:
    case EPERM:
        return "no permission";
    default:
        return code > 0 ? std::string("cannot be opened: ") + std::strerror(code)
                        : "cannot be opened: not a serial device";
    }
}
} // namespace

struct BusProbe::Context {
    modbus_t* ctx = nullptr;
    ~Context() {
        if (ctx) {
            // The fd belongs to the port object; libmodbus must not close it.
            modbus_set_socket(ctx, -1);
            modbus_free(ctx);
        }
    }
};

ProbeSettings ProbeSettingsFrom(const CommParams& p) {
    ProbeSettings s;
    s.Protocol = p.SerProt;
    s.Baud = std::stoi(SerBaudItems[static_cast<size_t>(
        std::clamp(p.SerBaud, 0, static_cast<int>(SerBaudItems.size()) - 1))]);
    s.Parity = p.SerPar == 1 ? TParity::paEven : p.SerPar == 2 ? TParity::paOdd : TParity::paNone;
    s.DataBits = p.SerProt == 1 ? 7 : 8;
    s.StopBits = 1;
    s.TimeoutMs = std::clamp(ParseInteger(p.SerTO, 1000), 1, 10000);
    s.CyclicDelayMs = std::clamp(ParseInteger(p.SerCD, 100), 0, 1000);
    return s;
}

std::string ProtocolName(int protocol) {
    static const char* const names[] = {"Modbus RTU", "Modbus ASCII", "JBUS", "Binary", "ASCII"};
    return protocol >= 0 && protocol <= 4 ? names[protocol] : "ASCII";
}

bool ProtocolTestable(int protocol) {
    return protocol == 0 || protocol == 1 || protocol == 2;
}

std::vector<ProbeRow> ProbeRows(const AccessMap& map) {
    std::vector<ProbeRow> out;
    for (AccessTable t : {AccessTable::Read, AccessTable::Write}) {
        const auto& rows = map.rows(t);
        const size_t n = RunLength(rows);
        for (size_t i = 0; i < n; ++i) {
            ProbeRow r;
            r.Table = t;
            r.Number = static_cast<int>(i + 1);
            r.Cells = rows[i];
            const int slave = ParseInteger(r.Cells.SlaveId, -1);
            const int address = ParseInteger(r.Cells.AddressMod, -1);
            const int points = ParseInteger(r.Cells.NPoint, -1);
            const int fn = ReadFunction(r.Cells.Type, t);
            // The project check's rules; where the data sits in DeviceNet
            // does not matter on the serial line.
            const auto failures = AccessRowFailures(r.Cells, t, 65535);
            if (!failures.empty()) {
                r.Problem = failures.front();
                while (!r.Problem.empty() && r.Problem.back() == ' ')
                    r.Problem.pop_back();
            } else if (address + points > 65536)
                r.Problem = "points beyond address 65535";
            r.Request.Slave = static_cast<uint8_t>(std::max(slave, 0) & 0xFF);
            r.Request.Function = static_cast<uint8_t>(fn);
            r.Request.Address = static_cast<uint16_t>(std::max(address, 0) & 0xFFFF);
            r.Request.Count = static_cast<uint16_t>(std::max(points, 0) & 0xFFFF);
            out.push_back(std::move(r));
        }
    }
    return out;
}

ProbePlan LoadProbePlan(const std::string& projectFolder) {
    return ProbePlanOf(Project::load(projectFolder));
}

ProbePlan ProbePlanOf(const Project& project) {
    // A file read only in part would poll other rows than the project says.
    project.params().report.requireWhole();
    project.access().report.requireWhole();
    ProbePlan plan;
    plan.Settings = ProbeSettingsFrom(CommParamsOf(project.params()));
    plan.Rows = ProbeRows(StoredAccessMap(project.access()));
    return plan;
}

const char* OutcomeKey(ProbeOutcome o) {
    static constexpr std::pair<ProbeOutcome, const char*> keys[] = {
        {ProbeOutcome::Answered, "answered"},    {ProbeOutcome::Exception, "exception"},
        {ProbeOutcome::NoAnswer, "no answer"},   {ProbeOutcome::BadFrame, "bad frame"},
        {ProbeOutcome::PortError, "port error"}, {ProbeOutcome::NotTested, "not tested"}};
    return Lookup(keys, o, "");
}

std::string OutcomeText(const ProbeResult& r, int protocol) {
    switch (r.Outcome) {
    case ProbeOutcome::Exception: {
        char code[8];
        std::snprintf(code, sizeof code, "%02X", r.ExceptionCode & 0xFF);
        return std::string("exception ") + code + " " + ExceptionName(r.ExceptionCode);
    }
    case ProbeOutcome::BadFrame: {
        std::string s = "bad frame: " + BadFrameText(r.Bad, protocol == 1);
        if (!r.Detail.empty() && r.Detail != BadFrameText(r.Bad, protocol == 1))
            s += " (" + r.Detail + ")";
        return s;
    }
    case ProbeOutcome::PortError:
    case ProbeOutcome::NotTested:
        return std::string(OutcomeKey(r.Outcome)) + (r.Detail.empty() ? "" : ": " + r.Detail);
    default:
        return OutcomeKey(r.Outcome);
    }
}

void ProbeTally::Add(ProbeOutcome o) {
    using Count = int ProbeTally::*;
    static constexpr std::pair<ProbeOutcome, Count> counts[] = {
        {ProbeOutcome::Answered, &ProbeTally::Answered},
        {ProbeOutcome::Exception, &ProbeTally::Exceptions},
        {ProbeOutcome::NoAnswer, &ProbeTally::NoAnswer},
        {ProbeOutcome::BadFrame, &ProbeTally::BadFrames},
        {ProbeOutcome::NotTested, &ProbeTally::NotTested},
        {ProbeOutcome::PortError, &ProbeTally::PortErrors}};
    if (const Count c = Lookup(counts, o, Count{})) ++(this->*c);
}

std::string ProbeTally::Text() const {
    auto n = [](int count, const char* one, const char* many) {
        return std::to_string(count) + " " + (count == 1 ? one : many);
    };
    std::string s = n(Answered, "answered", "answered") + ", " +
                    n(Exceptions, "exception", "exceptions") + ", " +
                    n(NoAnswer, "no answer", "no answer");
    if (BadFrames) s += ", " + n(BadFrames, "bad frame", "bad frames");
    if (NotTested) s += ", " + n(NotTested, "not tested", "not tested");
    if (PortErrors) s += ", " + n(PortErrors, "port error", "port errors");
    return s;
}

std::string ValuesText(const std::vector<uint16_t>& values, bool registers) {
    std::string s;
    char buf[40];
    for (uint16_t v : values) {
        if (!s.empty()) s += registers ? "; " : " ";
        if (registers)
            std::snprintf(buf, sizeof buf, "0x%04X %u %d", v, v, static_cast<int16_t>(v));
        else
            std::snprintf(buf, sizeof buf, "%u", v);
        s += buf;
    }
    return s;
}

std::string ValuesText(const std::vector<uint16_t>& values, bool registers,
                       std::optional<ValueForm> form) {
    if (!registers || !form) return ValuesText(values, registers);
    std::string s;
    for (const std::string& t : RegisterTexts(values, *form))
        s += (s.empty() ? "" : "; ") + t;
    return s;
}

std::vector<std::string> ProbePortNames(const std::string& devFolder, const std::string& sysTty) {
    std::vector<std::string> ports = SerialPortNames(devFolder);
    std::set<std::string> known(ports.begin(), ports.end());
    // COM1..COM10 already stand for ttyS0..ttyS9.
    for (int i = 0; i < 10; ++i)
        known.insert(devFolder + PathSep + "ttyS" + std::to_string(i));
    std::vector<std::string> more;
    if (DIR* d = ::opendir(sysTty.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name.rfind("tty", 0) != 0) continue;
            struct stat st {};
            // Only ttys backed by a device are serial lines (not consoles or ptys).
            if (::stat((sysTty + PathSep + name + PathSep + "device").c_str(), &st) != 0) continue;
            const std::string path = devFolder + PathSep + name;
            if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) continue;
            if (!known.count(path)) more.push_back(path);
        }
        ::closedir(d);
    }
    std::sort(more.begin(), more.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    ports.insert(ports.end(), more.begin(), more.end());
    return ports;
}

namespace {
std::string CsvField(const std::string& cell) {
    const std::string s = CsvCell(cell);
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}
} // namespace

std::string ProbeResultsCsv(const std::vector<ProbeRow>& rows,
                            const std::vector<std::optional<ProbeResult>>& results, int protocol,
                            std::optional<ValueForm> form) {
    std::string out = "Table,Row,Slave ID,Type,Address Register,NPoint,Mnemonic,Outcome,Exception,"
                      "Values,Time ms\r\n";
    for (size_t i = 0; i < rows.size(); ++i) {
        const ProbeRow& row = rows[i];
        std::vector<std::string> f = {row.Table == AccessTable::Read ? "read" : "write",
                                      std::to_string(row.Number),
                                      row.Cells.SlaveId,
                                      row.Cells.Type,
                                      row.Cells.AddressMod,
                                      row.Cells.NPoint,
                                      row.Cells.Mnemonic};
        if (i < results.size() && results[i]) {
            const ProbeResult& r = *results[i];
            const bool regs = row.Request.Function == 3 || row.Request.Function == 4;
            char ms[32];
            std::snprintf(ms, sizeof ms, "%.1f", r.Milliseconds);
            f.push_back(OutcomeText(r, protocol));
            f.push_back(r.Outcome == ProbeOutcome::Exception ? std::to_string(r.ExceptionCode)
                                                             : "");
            f.push_back(ValuesText(r.Values, regs, form));
            f.push_back(r.Outcome == ProbeOutcome::NotTested ? "" : ms);
        } else {
            f.insert(f.end(), 4, "");
        }
        for (size_t k = 0; k < f.size(); ++k) {
            if (k) out += ',';
            out += CsvField(f[k]);
        }
        out += "\r\n";
    }
    return out;
}

EProbePort::EProbePort(const std::string& device, const std::string& reason, int code)
    : TessaroError("Port " + device + " " + reason), Reason(reason), Code(code) {}

BusProbe::BusProbe(const ProbeSettings& settings) : settings_(settings) {}

BusProbe::~BusProbe() {
    Close();
}

void BusProbe::Open(const std::string& device) {
    Close();
    stop_ = false;
    device_ = device;
    comm_.SetDeviceName(device);
    ApplyLine();
    comm_.SetFlowControl(TFlowControl::fcNone);
    try {
        comm_.Open();
    } catch (const ECommError& e) {
        comm_.Close();
        throw EProbePort(device, PortReason(e.ErrorCode));
    }
    SetUpModbus();
}

void BusProbe::ApplyLine() {
    comm_.SetBaudRate(BaudEnum(settings_.Baud));
    comm_.SetParity(settings_.Parity);
    comm_.SetDatabits(static_cast<TDatabits>(std::clamp(settings_.DataBits, 5, 8) - 4));
    comm_.SetStopbits(settings_.StopBits == 2 ? TStopbits::sb20 : TStopbits::sb10);
}

void BusProbe::Reconfigure(const ProbeSettings& settings) {
    const int protocol = settings_.Protocol;
    settings_ = settings;
    settings_.Protocol = protocol;
    if (!comm_.IsOpen()) return;
    try {
        ApplyLine();
    } catch (const ECommError& e) {
        // A setting the port cannot take leaves it open at the old one.
        if (e.ErrorCode != EINVAL) Close();
        throw EProbePort(device_, PortReason(e.ErrorCode), e.ErrorCode);
    }
    modbus_.reset();
    SetUpModbus();
}

void BusProbe::SetUpModbus() {
    if (settings_.Protocol == 1) return;
    // libmodbus frames RTU on the port's own (locked) descriptor.
    modbus_ = std::make_unique<Context>();
    const char parity = settings_.Parity == TParity::paEven  ? 'E'
                        : settings_.Parity == TParity::paOdd ? 'O'
                                                             : 'N';
    modbus_->ctx = modbus_new_rtu(comm_.DevicePath(device_).c_str(), settings_.Baud, parity,
                                  settings_.DataBits, settings_.StopBits);
    if (!modbus_->ctx) {
        int err = errno;
        Close();
        throw EProbePort(device_, std::string("cannot be used: ") + modbus_strerror(err));
    }
    modbus_set_socket(modbus_->ctx, comm_.Handle());
    modbus_set_error_recovery(modbus_->ctx, MODBUS_ERROR_RECOVERY_NONE);
    const int to = settings_.TimeoutMs;
    modbus_set_response_timeout(modbus_->ctx, static_cast<uint32_t>(to / 1000),
                                static_cast<uint32_t>(to % 1000) * 1000);
    // Gaps inside a reply: USB adapters and ptys deliver in chunks, so allow
    // more than the 1.5 characters of the line, but never more than the time-out.
    const int gap = std::min(to, std::max(50, 20 * 11 * 1000 / std::max(settings_.Baud, 1)));
    modbus_set_byte_timeout(modbus_->ctx, 0, static_cast<uint32_t>(gap) * 1000);
}

void BusProbe::Close() {
    modbus_.reset();
    comm_.Close();
}

ProbeResult BusProbe::Transact(const ModbusRequest& req) {
    if (!ProtocolTestable(settings_.Protocol))
        return Outcome(ProbeOutcome::NotTested,
                       ProtocolName(settings_.Protocol) + " is not Modbus and cannot be tested");
    if (!comm_.IsOpen()) return Outcome(ProbeOutcome::PortError, "port not open");
    ProbeResult r = settings_.Protocol == 1 ? TransactAscii(req) : TransactRtu(req);
    requestSent_ = true;
    return r;
}

ProbeResult BusProbe::TransactRtu(const ModbusRequest& req) {
    modbus_t* ctx = modbus_->ctx;
    // libmodbus knows slave IDs up to 247 only.
    if (modbus_set_slave(ctx, req.Slave) != 0)
        return Outcome(ProbeOutcome::NotTested, "slave ID above 247 cannot be addressed");
    ::tcflush(comm_.Handle(), TCIFLUSH);
    const std::vector<uint8_t> adu = RequestAdu(req);
    const auto t0 = Clock::now();
    if (modbus_send_raw_request(ctx, adu.data(), static_cast<int>(adu.size())) < 0) {
        int err = errno;
        return Outcome(ProbeOutcome::PortError, std::strerror(err));
    }
    uint8_t rsp[MODBUS_RTU_MAX_ADU_LENGTH] = {};
    const int n = modbus_receive_confirmation(ctx, rsp);
    const int err = errno;
    ProbeResult r;
    if (n > 2) {
        static_cast<ModbusReply&>(r) = DecodeReplyAdu(req, rsp, static_cast<size_t>(n - 2));
    } else if (n == 0) {
        // libmodbus skips the CRC of a frame from another slave and says so by 0.
        static_cast<ModbusReply&>(r) = DecodeReplyAdu(req, rsp, 2);
        if (rsp[0] == req.Slave) r = Outcome(ProbeOutcome::BadFrame, "unreadable reply");
    } else if (err == ETIMEDOUT) {
        r = Outcome(ProbeOutcome::NoAnswer);
    } else if (err == EMBBADCRC) {
        r = Outcome(ProbeOutcome::BadFrame);
        r.Bad = BadFrameKind::Checksum;
    } else if (err == EMBBADSLAVE) {
        r = Outcome(ProbeOutcome::BadFrame);
        r.Bad = BadFrameKind::OtherSlave;
    } else if (err == EMBBADDATA || err == EMBMDATA || err == EMBBADEXC || err == EMBUNKEXC) {
        r = Outcome(ProbeOutcome::BadFrame, modbus_strerror(err));
        r.Bad = BadFrameKind::Length;
    } else if (err == ECONNRESET || err == EIO || err == ENXIO || err == ENODEV) {
        // libmodbus reads end-of-file from a port whose adapter went away.
        r = Outcome(ProbeOutcome::PortError, "port closed");
    } else {
        r = Outcome(ProbeOutcome::PortError, std::strerror(err));
    }
    if (r.Outcome == ProbeOutcome::BadFrame && r.Bad == BadFrameKind::None)
        r.Bad = BadFrameKind::Garbage;
    r.Milliseconds = MsSince(t0);
    return r;
}

ProbeResult BusProbe::TransactAscii(const ModbusRequest& req) {
    const int fd = comm_.Handle();
    ::tcflush(fd, TCIFLUSH);
    const std::string request = AsciiFrame(RequestAdu(req));
    const auto t0 = Clock::now();
    const auto timeout = std::chrono::milliseconds(settings_.TimeoutMs);
    // A line that keeps sending must still end the row: at most two
    // time-outs plus the wire time of the longest frame.
    const auto hardEnd =
        t0 + 2 * timeout + std::chrono::milliseconds(600 * 11 * 1000 / std::max(settings_.Baud, 1));

    size_t sent = 0;
    while (sent < request.size()) {
        ssize_t w = ::write(fd, request.data() + sent, request.size() - sent);
        if (w > 0) {
            sent += static_cast<size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR)
            return Outcome(ProbeOutcome::PortError, std::strerror(errno));
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, settings_.TimeoutMs) <= 0 || (p.revents & (POLLERR | POLLHUP)))
            return Outcome(ProbeOutcome::PortError, "port does not take the request");
    }

    AsciiFrameCollector frame;
    auto deadline = t0 + timeout;
    ProbeResult r;
    for (;;) {
        const auto now = Clock::now();
        const auto end = std::min(deadline, hardEnd);
        if (now >= end) {
            r = frame.SawAnything() ? Outcome(ProbeOutcome::BadFrame, "no complete frame")
                                    : Outcome(ProbeOutcome::NoAnswer);
            if (frame.SawAnything()) r.Bad = BadFrameKind::Garbage;
            break;
        }
        pollfd p{fd, POLLIN, 0};
        const int wait =
            static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(end - now).count());
        const int pr = ::poll(&p, 1, wait);
        if (pr < 0 && errno == EINTR) continue;
        if (pr == 0) continue;
        if (pr < 0 || (p.revents & (POLLERR | POLLNVAL)) ||
            ((p.revents & POLLHUP) && !(p.revents & POLLIN))) {
            r = Outcome(ProbeOutcome::PortError, "port closed");
            break;
        }
        char chunk[256];
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (got <= 0) {
            r = Outcome(ProbeOutcome::PortError, got == 0 ? "port closed" : std::strerror(errno));
            break;
        }
        deadline = Clock::now() + timeout;
        if (frame.Feed(chunk, static_cast<size_t>(got))) {
            static_cast<ModbusReply&>(r) = DecodeAsciiReply(req, frame.Frame());
            break;
        }
    }
    r.Milliseconds = MsSince(t0);
    return r;
}

ProbeResult BusProbe::Probe(const ProbeRow& row) {
    if (!row.Problem.empty()) return Outcome(ProbeOutcome::NotTested, row.Problem);
    return Transact(row.Request);
}

ProbeResult BusProbe::Write(const ProbeRow& row, const std::vector<uint16_t>& values) {
    if (row.Table != AccessTable::Write)
        return Outcome(ProbeOutcome::NotTested, "only write-table rows are written");
    if (!row.Problem.empty()) return Outcome(ProbeOutcome::NotTested, row.Problem);
    ModbusRequest req = row.Request;
    req.Function = req.Function == 1 ? 15 : 16;
    req.Values = values;
    req.Values.resize(req.Count, 0);
    return Transact(req);
}

bool BusProbe::Pause(int ms) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stop_.load(); });
}

void BusProbe::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
}

int BusProbe::Run(const std::vector<ProbeRow>& rows, int passes,
                  const std::function<void(size_t, const ProbeResult&)>& onResult) {
    int done = 0;
    requestSent_ = false;
    while (!stop_ && (passes <= 0 || done < passes)) {
        bool sentAny = false;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (stop_) return done;
            const bool willSend = rows[i].Problem.empty() && ProtocolTestable(settings_.Protocol);
            if (willSend && requestSent_ && !Pause(settings_.CyclicDelayMs)) return done;
            ProbeResult r = Probe(rows[i]);
            sentAny = sentAny || willSend;
            onResult(i, r);
            if (r.Outcome == ProbeOutcome::PortError) return done;
        }
        ++done;
        // Nothing to send: another pass would only repeat the same verdicts.
        if (!sentAny) break;
    }
    return done;
}
