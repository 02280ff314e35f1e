#pragma once
#include "core/device/SerialPort.h"

#include <pty.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

// A real port object whose DTR line always obeys: pseudo-terminals have no
// modem lines, so this is the one part faked for dialog tests.
class DtrObeyingComm : public TComm {
public:
    void SetDtr(bool on) override {
        if (!IsOpen()) TComm::SetDtr(on); // raises the closed-port error
        dtr = on;
    }
    bool dtr = false;
};

// A pseudo-terminal; the test keeps the master side, ports open `name`.
struct PtyPort {
    int master = -1;
    std::string name;
    PtyPort() {
        int slave = -1;
        char buf[128];
        if (::openpty(&master, &slave, buf, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty");
        ::close(slave);
        name = buf;
    }
    ~PtyPort() { ::close(master); }
};
