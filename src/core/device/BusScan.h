#pragma once
// Finds the slaves on a line and the baud rate and parity they answer at: one
// harmless read to every slave ID at every line setting, over the probe's port
// and framing. Nothing is ever written.
#include "core/device/BusProbe.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

struct ScanOptions {
    int Protocol = 0;       // Ser_Prot code: Modbus RTU (0) or Modbus ASCII (1)
    std::vector<int> Ids;   // slave IDs, 1 to 247
    std::vector<int> Bauds; // rates of the communication list
    std::vector<TParity> Parities{TParity::paNone, TParity::paEven, TParity::paOdd};
    int TimeoutMs = 100;
    bool All = false; // else stop after the first setting at which a slave answers
};

// The rates of the communication list, the common ones first.
std::vector<int> DefaultScanBauds();
// "1-247", "5", "1-10,20": IDs from 1 to 247 in the order given, each once;
// nothing when the text is not that.
std::vector<int> ParseIdRange(const std::string& text);

// The line of one setting: data and stop bits as the probe takes them for the protocol.
ProbeSettings ScanLine(const ScanOptions& o, int baud, TParity parity);
// "19200 8E1".
std::string LineText(const ProbeSettings& s);
// "none", "even", "odd".
const char* ParityKey(TParity p);

struct ScanFound {
    int Slave = 0;
    ProbeSettings Line;
    int Function = 3; // the read it answered
    ProbeResult Reply;
};
// "answered" or "exception 02".
std::string ScanReplyText(const ProbeResult& r);
// "slave 7 at 19200 8E1 Modbus RTU (read holding register 0: exception 02)".
std::string FoundText(const ScanFound& f);

// Where the scan is, given before each request.
struct ScanProgress {
    ProbeSettings Line;
    int Slave = 0;
    int Function = 3;
    size_t Setting = 0, Settings = 0; // from 0 / total
    size_t Step = 0, Steps = 0;       // requests so far / at most (03 reads only)
    size_t Found = 0;
};

struct ScanSummary {
    std::vector<ScanFound> Found;
    size_t SettingsTried = 0;
    size_t Ids = 0;
    bool Stopped = false;  // by Stop
    std::string PortError; // the port failed; the scan ended there
    // Settings the port cannot take ("19200 8E1"); skipped, not counted as tried.
    std::vector<std::string> Skipped;
    // "2 slaves found at 19200 8E1" or "no slave answered (2 settings x 247 IDs tried)".
    std::string Text() const;
};

class BusScan {
public:
    explicit BusScan(ScanOptions options);
    const ScanOptions& Options() const { return options_; }

    // Opens the port exclusively; throws EProbePort.
    void Open(const std::string& device);
    // At each setting, function 03 (one register at address 0) to every ID;
    // where at least one ID answered, 01 (one coil at address 0) to the silent
    // ones. Any well-formed reply, data or exception, is a slave present. A
    // silent line thus costs one time-out per ID and setting.
    ScanSummary Run(const std::function<void(const ScanProgress&)>& onProgress,
                    const std::function<void(const ScanFound&)>& onFound);
    // From any thread or a signal handler: the scan ends after the current
    // request, within one time-out.
    void Stop() { stop_.store(true); }

private:
    ScanOptions options_;
    BusProbe probe_;
    std::atomic<bool> stop_{false};
    static_assert(std::atomic<bool>::is_always_lock_free);
};

// Writes the found baud rate and parity (codes of the communication lists)
// into the project's communication parameters, the rest kept.
class Project;
void ApplyLineSettings(Project& project, int serBaudCode, int serParCode);
// The codes of a found line in the communication lists; -1 when not in them.
int SerBaudCode(int baud);
int SerParCode(TParity p);
