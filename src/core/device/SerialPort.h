#pragma once
#include "core/project/Errors.h"

#include <cstdint>
#include <initializer_list>
#include <string>

struct termios;
// Serial port access on POSIX terminals. The port is opened exclusively (an
// advisory lock on top of TIOCEXCL, so a second handle fails even for root),
// set to raw 8-bit transfer and the line settings below. No line-event
// monitor runs: the program attaches no handler to line events.

// Every port operation raises this. The message is the operation's text
// followed by " (Error: <code>) "; the code is errno of the failed call or -1.
class ECommError : public TessaroError {
public:
    ECommError(const std::string& text, int code);
    int ErrorCode;
};

// A small set of enumerators (the enum's values must be below 32).
template <class E> class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> items) {
        for (E e : items)
            bits_ |= bit(e);
    }
    constexpr bool contains(E e) const { return bits_ & bit(e); }
    constexpr void insert(E e) { bits_ |= bit(e); }
    constexpr void erase(E e) { bits_ &= ~bit(e); }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool operator==(const EnumSet&) const = default;

private:
    static constexpr uint32_t bit(E e) { return 1u << static_cast<unsigned>(e); }
    uint32_t bits_ = 0;
};

enum class TCommEventType {
    evBreak,
    evCts,
    evDsr,
    evError,
    evRing,
    evRlsd,
    evRxChar,
    evRxFlag,
    evTxEmpty
};
using TCommEventTypes = EnumSet<TCommEventType>;

enum class TBaudrate {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000,
    br1500000,
    br3000000
};
// The rate in bits per second.
int BaudrateValue(TBaudrate b);

enum class TParity { paNone, paOdd, paEven, paMark, paSpace };
enum class TStopbits { sb10, sb15, sb20 };
enum class TDatabits { da4, da5, da6, da7, da8 };
enum class TCommOption { coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip };
using TCommOptions = EnumSet<TCommOption>;
enum class TFlowControl { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };

class TCustomComm;

// The five special characters; a change is applied at once to an open port.
class TCommEventChars {
public:
    explicit TCommEventChars(TCustomComm* owner) : owner_(owner) {}

    char XonChar() const { return xon_; }
    char XoffChar() const { return xoff_; }
    char ErrorChar() const { return error_; }
    char EofChar() const { return eof_; }
    char EvtChar() const { return evt_; }
    void SetXonChar(char c) { set(xon_, c); }
    void SetXoffChar(char c) { set(xoff_, c); }
    void SetErrorChar(char c) { set(error_, c); }
    void SetEofChar(char c) { set(eof_, c); }
    void SetEvtChar(char c) { set(evt_, c); }

private:
    void set(char& field, char value);
    TCustomComm* owner_;
    char xon_ = 17, xoff_ = 19, error_ = 0, eof_ = 0, evt_ = 0;
};

class TCustomComm {
public:
    TCustomComm();
    virtual ~TCustomComm();
    TCustomComm(const TCustomComm&) = delete;
    TCustomComm& operator=(const TCustomComm&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    virtual void Open();
    // Closes the port if open; never raises.
    virtual void Close();
    virtual void SetDtr(bool on);

    // Settings that cannot change while the port is open.
    const std::string& DeviceName() const { return deviceName_; }
    void SetDeviceName(const std::string& name) { changeWhileClosed(deviceName_, name); }
    TCommEventTypes MonitorEvents() const { return monitorEvents_; }
    void SetMonitorEvents(TCommEventTypes events) { changeWhileClosed(monitorEvents_, events); }
    // Driver queue sizes. POSIX terminals have no call to size their queues:
    // the values are kept as settings and give the XON/XOFF limits.
    int ReadBufSize() const { return readBufSize_; }
    void SetReadBufSize(int size) { changeWhileClosed(readBufSize_, size); }
    int WriteBufSize() const { return writeBufSize_; }
    void SetWriteBufSize(int size) { changeWhileClosed(writeBufSize_, size); }

    // Not used by any operation of the program; kept as settings.
    int ReadTimeout = 1000;
    int WriteTimeout = 1000;

    // Line settings, applied at once to an open port.
    TBaudrate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudrate b) { change(baudRate_, b); }
    TParity Parity() const { return parity_; }
    void SetParity(TParity p) { change(parity_, p); }
    TStopbits Stopbits() const { return stopbits_; }
    void SetStopbits(TStopbits s) { change(stopbits_, s); }
    TDatabits Databits() const { return databits_; }
    void SetDatabits(TDatabits d) { change(databits_, d); }
    TCommOptions Options() const { return options_; }
    void SetOptions(TCommOptions o) { change(options_, o); }
    TFlowControl FlowControl() const { return flowControl_; }
    void SetFlowControl(TFlowControl f) { change(flowControl_, f); }
    TCommEventChars& EventChars() { return eventChars_; }
    const TCommEventChars& EventChars() const { return eventChars_; }

    // Both XON and XOFF limits: a quarter of the receive queue.
    int XonLimit() const { return readBufSize_ / 4; }
    int XoffLimit() const { return readBufSize_ / 4; }

    // The device a port name stands for: "COM1" ... "COM10" (any letter case)
    // are /dev/ttyS0 ... /dev/ttyS9; any other name is a path used as it is.
    static std::string DevicePath(const std::string& name);

    // Writes the line settings to an open port; does nothing while closed.
    void ApplySettings();
    // The line settings laid over terminal attributes as read from the driver;
    // 0 or the errno of a setting the terminal cannot take. A rate without a
    // POSIX speed constant leaves the speed fields as they are.
    int ComposeLineSettings(struct termios& t) const;

    // The file descriptor while open, -1 while closed.
    int Handle() const { return fd_; }

protected:
    template <class T> void change(T& field, const T& value) {
        if (field == value) return;
        field = value;
        ApplySettings();
    }

private:
    friend class TCommEventChars;
    void refuseWhileOpen() const;
    template <class T> void changeWhileClosed(T& field, const T& value) {
        if (field == value) return;
        refuseWhileOpen();
        field = value;
    }

    int fd_ = -1;
    std::string deviceName_ = "Com2";
    TCommEventTypes monitorEvents_{
        TCommEventType::evBreak,  TCommEventType::evCts,    TCommEventType::evDsr,
        TCommEventType::evError,  TCommEventType::evRing,   TCommEventType::evRlsd,
        TCommEventType::evRxChar, TCommEventType::evRxFlag, TCommEventType::evTxEmpty};
    int readBufSize_ = 4096;
    int writeBufSize_ = 2048;
    TBaudrate baudRate_ = TBaudrate::br9600;
    TParity parity_ = TParity::paNone;
    TStopbits stopbits_ = TStopbits::sb10;
    TDatabits databits_ = TDatabits::da8;
    TCommOptions options_;
    TFlowControl flowControl_ = TFlowControl::fcDefault;
    TCommEventChars eventChars_{this};
};

class TComm : public TCustomComm {};

// Why a port could not be used, naming its device, from the errno of the failed
// call (-1 when the path is no terminal): "/dev/ttyS2 does not exist",
// "/dev/ttyS2 is in use by another program", "/dev/ttyS2: permission denied:
// add your user to the dialout group". `opening` is false for a failure after
// the port was open (its control lines).
std::string PortFailureReason(const std::string& device, int code, bool opening = true);
