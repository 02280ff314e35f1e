#pragma once
// A Modbus master on the PC: polls every row of a project's access map over a
// serial adapter, as the gateway would, and tells per row what came back.
// RTU and JBUS go through libmodbus; Modbus ASCII is framed here.
#include "core/device/ModbusFrame.h"
#include "core/device/SerialPort.h"
#include "core/editors/AccessMap.h"
#include "core/project/Errors.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct CommParams;

// Line and timing of the probe. Protocol holds the Ser_Prot code.
struct ProbeSettings {
    int Protocol = 0;
    int Baud = 115200;
    TParity Parity = TParity::paNone;
    int DataBits = 8;
    int StopBits = 1;
    int TimeoutMs = 1000;
    int CyclicDelayMs = 100;
};

// The project's serial settings: 8 data bits for RTU and JBUS, 7 for Modbus
// ASCII, 1 stop bit. Values out of range are clamped (time-out at least 1 ms).
ProbeSettings ProbeSettingsFrom(const CommParams& p);
// "Modbus RTU", "Modbus ASCII", "JBUS", "Binary", "ASCII".
std::string ProtocolName(int protocol);
// Only the Modbus protocols can be probed.
bool ProtocolTestable(int protocol);

// One request of the access map as the probe runs it.
struct ProbeRow {
    AccessTable Table = AccessTable::Read;
    int Number = 0; // row number in its table, from 1
    AccessRow Cells;
    ModbusRequest Request; // the reading request (write rows read what they would write)
    std::string Problem;   // why the row cannot be tried, when it cannot
};

// The run of the read table, then the run of the write table.
std::vector<ProbeRow> ProbeRows(const AccessMap& map);

struct ProbePlan {
    ProbeSettings Settings;
    std::vector<ProbeRow> Rows;
};
class Project;
// The project's settings and rows; a pargen.xml or sdo.xml that could not be
// read whole throws XmlError with the reason.
ProbePlan ProbePlanOf(const Project& project);
// The same for the files of a project folder.
ProbePlan LoadProbePlan(const std::string& projectFolder);

struct ProbeResult : ModbusReply {
    double Milliseconds = 0; // request sent to reply judged
};

// One line of text for a result: "answered", "exception 02 Illegal Data Address",
// "no answer", "bad frame: CRC error (...)", ...
std::string OutcomeText(const ProbeResult& r, int protocol);
// Short outcome names used in JSON and CSV.
const char* OutcomeKey(ProbeOutcome o);

// Counts of outcomes and the summary line "412 answered, 3 exceptions, 40 no answer"
// (bad frames, rows not tested and port errors follow when there are any).
struct ProbeTally {
    int Answered = 0, Exceptions = 0, NoAnswer = 0, BadFrames = 0, NotTested = 0, PortErrors = 0;
    void Add(ProbeOutcome o);
    int Total() const {
        return Answered + Exceptions + NoAnswer + BadFrames + NotTested + PortErrors;
    }
    std::string Text() const;
};

// Values as the window and the CLI show them: hex, decimal and, for
// registers, signed ("0xFFFE 65534 -2"); bits as 0 / 1.
std::string ValuesText(const std::vector<uint16_t>& values, bool registers);
// Registers in the chosen form ("12.56; 0x0109" for f32 of three registers),
// joined by "; "; bits and no form as above.
std::string ValuesText(const std::vector<uint16_t>& values, bool registers,
                       std::optional<ValueForm> form);

// The ports to offer: those of the update window, then every other serial
// device the kernel lists under `sysTty` that has a node in `devFolder`.
std::vector<std::string> ProbePortNames(const std::string& devFolder = "/dev",
                                        const std::string& sysTty = "/sys/class/tty");

// The results as CSV (UTF-8, header line, quoted fields, CR LF): one line a
// row; a row never probed has empty result fields.
std::string ProbeResultsCsv(const std::vector<ProbeRow>& rows,
                            const std::vector<std::optional<ProbeResult>>& results, int protocol,
                            std::optional<ValueForm> form = std::nullopt);

// The port cannot be opened; Reason says why in words ("no such port", ...).
class EProbePort : public TessaroError {
public:
    EProbePort(const std::string& device, const std::string& reason, int code = 0);
    std::string Reason;
    int Code = 0; // errno of the failed call, when known
};

class BusProbe {
public:
    explicit BusProbe(const ProbeSettings& settings);
    ~BusProbe();
    BusProbe(const BusProbe&) = delete;
    BusProbe& operator=(const BusProbe&) = delete;

    const ProbeSettings& Settings() const { return settings_; }

    // Opens the port exclusively; throws EProbePort.
    void Open(const std::string& device);
    void Close();
    bool IsOpen() const { return comm_.IsOpen(); }
    // Another baud rate, parity, data and stop bits and time-out on the open
    // port, which stays locked; the protocol stays. Throws EProbePort.
    void Reconfigure(const ProbeSettings& settings);

    // One request and its reply; input is flushed first, nothing is retried.
    ProbeResult Transact(const ModbusRequest& req);
    // Reads the row's addresses (01 / 03 for write rows).
    ProbeResult Probe(const ProbeRow& row);
    // Writes `values` to the write row's addresses (15 for coils, 16 for
    // registers). Only on the user's explicit request.
    ProbeResult Write(const ProbeRow& row, const std::vector<uint16_t>& values);

    // Runs `passes` passes over the rows (0: until stopped), the cyclic delay
    // between every two requests, reporting each row as it is done. Stops after
    // the current request when Stop is called or the port fails. Returns the
    // number of passes completed.
    int Run(const std::vector<ProbeRow>& rows, int passes,
            const std::function<void(size_t index, const ProbeResult&)>& onResult);
    // From any thread.
    void Stop();
    bool StopRequested() const { return stop_; }

private:
    ProbeResult TransactRtu(const ModbusRequest& req);
    ProbeResult TransactAscii(const ModbusRequest& req);
    // False when stopped during the wait.
    bool Pause(int ms);
    void ApplyLine();
    void SetUpModbus();

    ProbeSettings settings_;
    std::string device_;
    TCustomComm comm_;
    struct Context;
    std::unique_ptr<Context> modbus_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool requestSent_ = false;
};
