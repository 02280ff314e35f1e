#include "core/device/SerialBaud.h"
#include "core/device/SerialPort.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <dirent.h>
#include <functional>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A pseudo-terminal: the test keeps the master, the port opens the slave by name.
struct Pty {
    int master = -1;
    std::string name;
    Pty() {
        int slave = -1;
        char buf[128];
        if (::openpty(&master, &slave, buf, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty");
        ::close(slave);
        name = buf;
    }
    ~Pty() { ::close(master); }
};

int OpenFdCount() {
    int n = 0;
    DIR* d = ::opendir("/proc/self/fd");
    while (dirent* e = ::readdir(d))
        n += e->d_name[0] != '.';
    ::closedir(d);
    return n;
}

// Runs op and returns the error it raised (message and code).
std::pair<std::string, int> ErrorOf(const std::function<void()>& op) {
    try {
        op();
    } catch (const ECommError& e) {
        return {e.what(), e.ErrorCode};
    }
    return {"no error", 0};
}

std::pair<std::string, int> Err(const std::string& text, int code) {
    return {text + " (Error: " + std::to_string(code) + ") ", code};
}

struct termios Attrs(const TComm& c) {
    struct termios t {};
    EXPECT_EQ(::tcgetattr(c.Handle(), &t), 0);
    return t;
}

TEST(CommInt, DefaultsOfANewPort) {
    TComm c;
    EXPECT_FALSE(c.IsOpen());
    EXPECT_EQ(c.DeviceName(), "Com2");
    EXPECT_EQ(c.ReadBufSize(), 4096);
    EXPECT_EQ(c.WriteBufSize(), 2048);
    EXPECT_EQ(c.XonLimit(), 1024);
    EXPECT_EQ(c.XoffLimit(), 1024);
    EXPECT_EQ(c.BaudRate(), TBaudrate::br9600);
    EXPECT_EQ(c.Parity(), TParity::paNone);
    EXPECT_EQ(c.Stopbits(), TStopbits::sb10);
    EXPECT_EQ(c.Databits(), TDatabits::da8);
    EXPECT_TRUE(c.Options().empty());
    EXPECT_EQ(c.FlowControl(), TFlowControl::fcDefault);
    EXPECT_EQ(c.EventChars().XonChar(), 17);
    EXPECT_EQ(c.EventChars().XoffChar(), 19);
    for (auto e : {TCommEventType::evBreak, TCommEventType::evRxChar, TCommEventType::evTxEmpty})
        EXPECT_TRUE(c.MonitorEvents().contains(e));
    c.SetReadBufSize(4098);
    EXPECT_EQ(c.XonLimit(), 1024);
}

TEST(CommInt, PortNamesMapToDevices) {
    const std::pair<const char*, const char*> cases[] = {{"COM1", "/dev/ttyS0"},
                                                         {"COM10", "/dev/ttyS9"},
                                                         {"Com2", "/dev/ttyS1"},
                                                         {"com3", "/dev/ttyS2"},
                                                         {"/dev/ttyUSB0", "/dev/ttyUSB0"},
                                                         {"COM0", "COM0"},
                                                         {"COM", "COM"},
                                                         {"COM1x", "COM1x"},
                                                         {"COMA", "COMA"}};
    for (auto [name, path] : cases)
        EXPECT_EQ(TComm::DevicePath(name), path) << name;
}

TEST(CommInt, OpensAPseudoTerminalRawAtTheDefaults) {
    Pty pty;
    TComm c;
    c.SetDeviceName(pty.name);
    c.Open();
    ASSERT_TRUE(c.IsOpen());
    struct termios t = Attrs(c);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B9600));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);

    // Bytes pass unchanged: no echo, no line editing, no CR/LF mapping.
    ASSERT_EQ(::write(pty.master, "a\r\x03", 3), 3);
    usleep(20000);
    char buf[8] = {};
    EXPECT_EQ(::read(c.Handle(), buf, sizeof buf), 3);
    EXPECT_EQ(std::string(buf, 3), "a\r\x03");
}

TEST(CommInt, OpeningAnOpenPortFailsAndKeepsItOpen) {
    Pty pty;
    TComm c;
    c.SetDeviceName(pty.name);
    c.Open();
    int fd = c.Handle();
    EXPECT_EQ(ErrorOf([&] { c.Open(); }), Err("Port already assigned (open)", -1));
    EXPECT_TRUE(c.IsOpen());
    EXPECT_EQ(c.Handle(), fd);
}

TEST(CommInt, APortHeldByAnotherHandleCannotBeOpened) {
    Pty pty;
    TComm first, second;
    first.SetDeviceName(pty.name);
    second.SetDeviceName(pty.name);
    first.Open();
    int before = OpenFdCount();
    auto [text, code] = ErrorOf([&] { second.Open(); });
    EXPECT_EQ(text, Err("Error accessing specified device", code).first);
    EXPECT_TRUE(code == EWOULDBLOCK || code == EBUSY) << code;
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(OpenFdCount(), before);

    // Closing frees the port for the next user.
    first.Close();
    EXPECT_NO_THROW(second.Open());
    EXPECT_TRUE(second.IsOpen());
}

TEST(CommInt, OpenFailuresLeaveThePortClosed) {
    TempDir dir;
    WriteText(dir / "plain", "x");
    struct Case {
        std::string name;
        std::pair<std::string, int> error;
    } cases[] = {
        {dir / "missing", Err("Error accessing specified device", ENOENT)},
        {dir.path(), Err("Error accessing specified device", EISDIR)},
        {dir / "plain", Err("Invalid device handle, access denied", -1)},
    };
    for (const Case& c : cases) {
        TComm port;
        port.SetDeviceName(c.name);
        int before = OpenFdCount();
        EXPECT_EQ(ErrorOf([&] { port.Open(); }), c.error) << c.name;
        EXPECT_FALSE(port.IsOpen()) << c.name;
        EXPECT_EQ(OpenFdCount(), before) << c.name;
    }
}

TEST(CommInt, ACharacterDeviceThatIsNoTerminalFailsAtTheTimeOutsAndStaysOpen) {
    TComm c;
    c.SetDeviceName("/dev/null");
    EXPECT_EQ(ErrorOf([&] { c.Open(); }), Err("Error updating CommTimeouts", ENOTTY));
    EXPECT_TRUE(c.IsOpen());
    c.Close();
    EXPECT_FALSE(c.IsOpen());
}

TEST(CommInt, DtrNeedsAnOpenPortAndADriverThatTakesIt) {
    TComm c;
    EXPECT_EQ(ErrorOf([&] { c.SetDtr(true); }),
              Err("Port not open, unable to complete operation", -1));
    EXPECT_EQ(ErrorOf([&] { c.SetDtr(false); }),
              Err("Port not open, unable to complete operation", -1));
    // Pseudo-terminals have no modem lines: the driver refuses.
    Pty pty;
    c.SetDeviceName(pty.name);
    c.Open();
    EXPECT_EQ(ErrorOf([&] { c.SetDtr(true); }), Err("EscapeCommFunction failure", ENOTTY));
}

TEST(CommInt, FixedSettingsAreRefusedWhileOpen) {
    Pty pty, other;
    TComm c;
    c.SetDeviceName(pty.name);
    c.Open();
    const std::function<void()> changes[] = {
        [&] { c.SetDeviceName(other.name); },
        [&] { c.SetMonitorEvents({TCommEventType::evRxChar}); },
        [&] { c.SetReadBufSize(8192); },
        [&] { c.SetWriteBufSize(1024); },
    };
    for (const auto& change : changes)
        EXPECT_EQ(ErrorOf(change), Err("Port already assigned (open)", -1));
    EXPECT_EQ(c.DeviceName(), pty.name);
    EXPECT_EQ(c.ReadBufSize(), 4096);
    EXPECT_EQ(c.WriteBufSize(), 2048);
    EXPECT_FALSE(c.MonitorEvents() == TCommEventTypes{TCommEventType::evRxChar});
    EXPECT_TRUE(c.IsOpen());

    // The same value is accepted while open.
    EXPECT_NO_THROW(c.SetDeviceName(pty.name));
    EXPECT_NO_THROW(c.SetReadBufSize(4096));

    c.Close();
    c.Close(); // harmless
    for (const auto& change : changes)
        EXPECT_NO_THROW(change());
    EXPECT_EQ(c.DeviceName(), other.name);
    EXPECT_EQ(c.ReadBufSize(), 8192);
    EXPECT_EQ(c.XonLimit(), 2048);
}

// One line setting and what it must make of the terminal attributes.
struct LineCase {
    const char* what;
    std::function<void(TComm&)> change;
    std::function<bool(const struct termios&)> holds;
};

const LineCase AppliedOnPty[] = {
    {"19200", [](TComm& c) { c.SetBaudRate(TBaudrate::br19200); },
     [](const struct termios& t) { return cfgetospeed(&t) == B19200; }},
    {"115200", [](TComm& c) { c.SetBaudRate(TBaudrate::br115200); },
     [](const struct termios& t) { return cfgetispeed(&t) == B115200; }},
    {"two stop bits", [](TComm& c) { c.SetStopbits(TStopbits::sb20); },
     [](const struct termios& t) { return (t.c_cflag & CSTOPB) != 0; }},
    {"one and a half stop bits", [](TComm& c) { c.SetStopbits(TStopbits::sb15); },
     [](const struct termios& t) { return (t.c_cflag & CSTOPB) != 0; }},
    {"xon", [](TComm& c) { c.EventChars().SetXonChar('Q'); },
     [](const struct termios& t) { return t.c_cc[VSTART] == 'Q'; }},
    {"xoff", [](TComm& c) { c.EventChars().SetXoffChar('S'); },
     [](const struct termios& t) { return t.c_cc[VSTOP] == 'S'; }},
    {"software flow", [](TComm& c) { c.SetFlowControl(TFlowControl::fcSoftware); },
     [](const struct termios& t) { return (t.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF); }},
    {"parity check", [](TComm& c) { c.SetOptions({TCommOption::coParityCheck}); },
     [](const struct termios& t) { return (t.c_iflag & INPCK) != 0; }},
};

TEST(CommInt, LineSettingsAreAppliedAtOnce) {
    Pty pty;
    for (const LineCase& lc : AppliedOnPty) {
        TComm c;
        c.SetDeviceName(pty.name);
        c.Open();
        ASSERT_FALSE(lc.holds(Attrs(c))) << lc.what << " holds before the change";
        lc.change(c);
        EXPECT_TRUE(lc.holds(Attrs(c))) << lc.what;
    }
}

// Pseudo-terminals force 8 data bits without parity, so these are checked on
// the composed attributes.
TEST(CommInt, ParityAndDataBitsAreComposed) {
    const LineCase cases[] = {
        {"none", [](TComm& c) { c.SetParity(TParity::paNone); },
         [](const struct termios& t) { return (t.c_cflag & (PARENB | PARODD | CMSPAR)) == 0; }},
        {"even", [](TComm& c) { c.SetParity(TParity::paEven); },
         [](const struct termios& t) {
             return (t.c_cflag & (PARENB | PARODD | CMSPAR)) == PARENB;
         }},
        {"odd", [](TComm& c) { c.SetParity(TParity::paOdd); },
         [](const struct termios& t) {
             return (t.c_cflag & (PARENB | PARODD | CMSPAR)) == (PARENB | PARODD);
         }},
        {"mark", [](TComm& c) { c.SetParity(TParity::paMark); },
         [](const struct termios& t) {
             return (t.c_cflag & (PARENB | PARODD | CMSPAR)) == (PARENB | PARODD | CMSPAR);
         }},
        {"space", [](TComm& c) { c.SetParity(TParity::paSpace); },
         [](const struct termios& t) {
             return (t.c_cflag & (PARENB | PARODD | CMSPAR)) == (PARENB | CMSPAR);
         }},
        {"five data bits", [](TComm& c) { c.SetDatabits(TDatabits::da5); },
         [](const struct termios& t) { return (t.c_cflag & CSIZE) == CS5; }},
        {"six data bits", [](TComm& c) { c.SetDatabits(TDatabits::da6); },
         [](const struct termios& t) { return (t.c_cflag & CSIZE) == CS6; }},
        {"seven data bits", [](TComm& c) { c.SetDatabits(TDatabits::da7); },
         [](const struct termios& t) { return (t.c_cflag & CSIZE) == CS7; }},
        {"CTS flow", [](TComm& c) { c.SetFlowControl(TFlowControl::fcCTS); },
         [](const struct termios& t) { return (t.c_cflag & CRTSCTS) != 0; }},
    };
    for (const LineCase& lc : cases) {
        TComm c;
        // Attributes as a driver might hand them over: all parity and size bits set.
        struct termios t {};
        t.c_cflag = PARENB | PARODD | CMSPAR | CSIZE;
        lc.change(c);
        ASSERT_EQ(c.ComposeLineSettings(t), 0) << lc.what;
        EXPECT_TRUE(lc.holds(t)) << lc.what;
    }
    TComm c;
    c.SetDatabits(TDatabits::da4);
    struct termios t {};
    EXPECT_EQ(c.ComposeLineSettings(t), EINVAL);
}

TEST(CommInt, NoFlowControlClearsHandshakesAndOptions) {
    Pty pty;
    TComm c;
    c.SetDeviceName(pty.name);
    c.SetFlowControl(TFlowControl::fcSoftware);
    c.SetOptions({TCommOption::coParityCheck});
    c.Open();
    ASSERT_NE(Attrs(c).c_iflag & (IXON | IXOFF | INPCK), 0u);
    c.SetFlowControl(TFlowControl::fcNone);
    c.SetOptions({});
    EXPECT_EQ(Attrs(c).c_iflag & (IXON | IXOFF | IXANY | INPCK), 0u);
    EXPECT_EQ(Attrs(c).c_cflag & CRTSCTS, 0u);
}

TEST(CommInt, SettingsMadeWhileClosedApplyAtOpen) {
    Pty pty;
    TComm c;
    c.SetDeviceName(pty.name);
    c.SetBaudRate(TBaudrate::br38400);
    c.SetStopbits(TStopbits::sb20);
    c.Open();
    struct termios t = Attrs(c);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B38400));
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
}

TEST(CommInt, RatesWithoutPosixConstantAreSetExactly) {
    Pty pty;
    TComm c;
    c.SetDeviceName(pty.name);
    c.Open();
    for (TBaudrate b :
         {TBaudrate::br14400, TBaudrate::br56000, TBaudrate::br128000, TBaudrate::br256000}) {
        c.SetBaudRate(b);
        EXPECT_EQ(CurrentBaudRate(c.Handle()), BaudrateValue(b));
    }
    c.SetBaudRate(TBaudrate::br9600);
    EXPECT_EQ(CurrentBaudRate(c.Handle()), 9600);
}

TEST(CommInt, FourDataBitsAreRefusedByTheLine) {
    Pty pty;
    TComm c;
    c.SetDeviceName(pty.name);
    c.Open();
    EXPECT_EQ(ErrorOf([&] { c.SetDatabits(TDatabits::da4); }),
              Err("Error updating DataControlBlock", EINVAL));
    // Set while closed, the same refusal comes at Open and leaves the port open.
    TComm d;
    c.Close();
    d.SetDeviceName(pty.name);
    d.SetDatabits(TDatabits::da4);
    EXPECT_EQ(ErrorOf([&] { d.Open(); }), Err("Error updating DataControlBlock", EINVAL));
    EXPECT_TRUE(d.IsOpen());
}

TEST(CommInt, DestroyingAnOpenPortClosesIt) {
    Pty pty;
    int before = OpenFdCount();
    {
        TComm c;
        c.SetDeviceName(pty.name);
        c.Open();
        EXPECT_EQ(OpenFdCount(), before + 1);
    }
    EXPECT_EQ(OpenFdCount(), before);
}

} // namespace
