#include "core/device/SerialPort.h"

#include "core/device/SerialBaud.h"
#include "core/project/Lookup.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {
const char* const AlreadyOpen = "Port already assigned (open)";

// POSIX speed constant of a rate, or B0 for a rate that needs a custom setting.
speed_t SpeedOf(TBaudrate b) {
    switch (b) {
    case TBaudrate::br110:
        return B110;
    case TBaudrate::br300:
        return B300;
    case TBaudrate::br600:
        return B600;
    case TBaudrate::br1200:
        return B1200;
    case TBaudrate::br2400:
        return B2400;
    case TBaudrate::br4800:
        return B4800;
    case TBaudrate::br9600:
        return B9600;
    case TBaudrate::br19200:
        return B19200;
    case TBaudrate::br38400:
        return B38400;
    case TBaudrate::br57600:
        return B57600;
    case TBaudrate::br115200:
        return B115200;
    case TBaudrate::br1500000:
        return B1500000;
    case TBaudrate::br3000000:
        return B3000000;
    default:
        return B0;
    }
}

void SetFlag(tcflag_t& flags, tcflag_t flag, bool on) {
    if (on)
        flags |= flag;
    else
        flags &= ~flag;
}
} // namespace

ECommError::ECommError(const std::string& text, int code)
    : TessaroError(text + " (Error: " + std::to_string(code) + ") "), ErrorCode(code) {}

int BaudrateValue(TBaudrate b) {
    static const int rates[] = {110,   300,   600,   1200,   2400,   4800,   9600,    14400,  19200,
                                38400, 56000, 57600, 115200, 128000, 256000, 1500000, 3000000};
    return rates[static_cast<int>(b)];
}

void TCommEventChars::set(char& field, char value) {
    if (field == value) return;
    field = value;
    owner_->ApplySettings();
}

TCustomComm::TCustomComm() = default;

TCustomComm::~TCustomComm() {
    Close();
}

std::string TCustomComm::DevicePath(const std::string& name) {
    if (name.size() > 3 && (name[0] == 'C' || name[0] == 'c') &&
        (name[1] == 'O' || name[1] == 'o') && (name[2] == 'M' || name[2] == 'm') &&
        name[3] != '0' && name.size() <= 6) {
        int n = 0;
        size_t i = 3;
        for (; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i)
            n = n * 10 + (name[i] - '0');
        if (i == name.size()) return "/dev/ttyS" + std::to_string(n - 1);
    }
    return name;
}

void TCustomComm::refuseWhileOpen() const {
    if (IsOpen()) throw ECommError(AlreadyOpen, -1);
}

void TCustomComm::Open() {
    refuseWhileOpen();

    const std::string path = DevicePath(deviceName_);
    // Non-blocking so that opening does not wait for a carrier.
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw ECommError("Error accessing specified device", errno);

    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        ::close(fd);
        throw ECommError("Invalid device handle, access denied", -1);
    }

    // TIOCEXCL does not stop root; the lock stops every other handle.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        throw ECommError("Error accessing specified device", err);
    }
    if (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
        int err = errno;
        ::close(fd);
        throw ECommError("Error accessing specified device", err);
    }
    fd_ = fd;

    // Reads return at once with what is queued.
    struct termios t {};
    if (::tcgetattr(fd_, &t) != 0) throw ECommError("Error updating CommTimeouts", errno);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) throw ECommError("Error updating CommTimeouts", errno);

    ApplySettings();
    // The queue sizes have no POSIX call; they stay settings (see the header).
}

void TCustomComm::ApplySettings() {
    if (!IsOpen()) return;
    const char* const fail = "Error updating DataControlBlock";

    struct termios t {};
    if (::tcgetattr(fd_, &t) != 0) throw ECommError(fail, errno);

    if (int err = ComposeLineSettings(t)) throw ECommError(fail, err);
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) throw ECommError(fail, errno);
    if (SpeedOf(baudRate_) == B0) {
        if (int err = SetCustomBaudRate(fd_, BaudrateValue(baudRate_))) throw ECommError(fail, err);
    }
}

int TCustomComm::ComposeLineSettings(struct termios& t) const {
    // Always raw 8-bit transfer with the receiver on and modem lines not
    // controlling the line discipline.
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;

    speed_t speed = SpeedOf(baudRate_);
    if (speed != B0) {
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
    }

    static constexpr std::pair<TParity, tcflag_t> parityFlags[] = {
        {TParity::paOdd, PARENB | PARODD},
        {TParity::paEven, PARENB},
        {TParity::paMark, PARENB | CMSPAR | PARODD},
        {TParity::paSpace, PARENB | CMSPAR}};
    t.c_cflag &= ~tcflag_t(PARENB | PARODD | CMSPAR);
    t.c_cflag |= Lookup(parityFlags, parity_, tcflag_t(0));

    // Terminals know one or two stop bits; 1.5 is sent as two.
    SetFlag(t.c_cflag, CSTOPB, stopbits_ != TStopbits::sb10);

    // Terminals have no 4-bit characters.
    static constexpr std::pair<TDatabits, tcflag_t> sizeFlags[] = {
        {TDatabits::da5, CS5}, {TDatabits::da6, CS6}, {TDatabits::da7, CS7}, {TDatabits::da8, CS8}};
    const tcflag_t size = Lookup(sizeFlags, databits_, tcflag_t(~0u));
    if (size == tcflag_t(~0u)) return EINVAL;
    t.c_cflag &= ~tcflag_t(CSIZE);
    t.c_cflag |= size;

    // ErrorChar, EofChar and EvtChar have no terminal counterpart in raw mode.
    t.c_cc[VSTART] = static_cast<cc_t>(eventChars_.XonChar());
    t.c_cc[VSTOP] = static_cast<cc_t>(eventChars_.XoffChar());

    switch (flowControl_) {
    case TFlowControl::fcNone:
        t.c_cflag &= ~tcflag_t(CRTSCTS);
        t.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY | INPCK | IGNPAR);
        break;
    case TFlowControl::fcCTS:
        t.c_cflag |= CRTSCTS;
        break;
    case TFlowControl::fcDTR:
        // Terminals offer no DSR/DTR handshake; the flags stay as read.
        break;
    case TFlowControl::fcSoftware:
        t.c_iflag |= IXON | IXOFF;
        break;
    case TFlowControl::fcDefault:
        break;
    }

    // Of the options only parity checking has a terminal flag.
    SetFlag(t.c_iflag, INPCK, options_.contains(TCommOption::coParityCheck));

    return 0;
}

void TCustomComm::Close() {
    if (!IsOpen()) return;
    // Pending input and output are dropped, as the port is given up.
    ::tcflush(fd_, TCIOFLUSH);
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

void TCustomComm::SetDtr(bool on) {
    if (!IsOpen()) throw ECommError("Port not open, unable to complete operation", -1);
    int bits = TIOCM_DTR;
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) != 0)
        throw ECommError("EscapeCommFunction failure", errno);
}

std::string PortFailureReason(const std::string& device, int code, bool opening) {
    switch (code) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return device + " does not exist";
    case EBUSY:
    case EWOULDBLOCK:
        return device + " is in use by another program";
    case EACCES:
    case EPERM:
        return device + ": permission denied: add your user to the dialout group";
    case -1:
        return opening ? device + " is not a serial port" : device + ": the port failed";
    default:
        break;
    }
    const std::string why = std::strerror(code);
    return opening ? device + ": " + why
                   : device + ": the modem control lines cannot be set: " + why;
}
