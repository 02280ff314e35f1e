#pragma once
// Starts tests/support/modbus_sim.py (a pymodbus slave behind a fault-injecting
// relay on a pty) and ends it again; see the script for the slave IDs.
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

#if !defined(MODBUS_SIM_SCRIPT) && defined(TEST_DATA_DIR)
#define MODBUS_SIM_SCRIPT TEST_DATA_DIR "/../support/modbus_sim.py"
#endif

class ModbusSim {
public:
    // `more` are further options of the script (--baud, --parity, --silent, --requests).
    explicit ModbusSim(const std::string& framer = "rtu", const std::string& timingFile = {},
                       const std::vector<std::string>& more = {}) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, in[0], 0);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        const std::string script = MODBUS_SIM_SCRIPT;
        const std::string arg = "--framer=" + framer;
        const std::string timing = "--timing=" + timingFile;
        std::vector<char*> argv = {const_cast<char*>("/usr/bin/python3"),
                                   const_cast<char*>(script.c_str()),
                                   const_cast<char*>(arg.c_str())};
        if (!timingFile.empty()) argv.push_back(const_cast<char*>(timing.c_str()));
        for (const std::string& m : more)
            argv.push_back(const_cast<char*>(m.c_str()));
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, argv[0], &fa, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&fa);
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        if (rc != 0) {
            ::close(out[0]);
            throw std::runtime_error("cannot start the simulator");
        }
        // "PORT /dev/pts/N\n"; closing stdin ends the simulator even if we crash.
        std::string line;
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        ::close(out[0]);
        if (line.rfind("PORT ", 0) != 0) {
            stop();
            throw std::runtime_error("simulator did not start: " + line);
        }
        port_ = line.substr(5);
    }
    ~ModbusSim() { stop(); }
    ModbusSim(const ModbusSim&) = delete;
    ModbusSim& operator=(const ModbusSim&) = delete;

    const std::string& port() const { return port_; }
    pid_t pid() const { return pid_; }

    void stop() {
        if (pid_ <= 0) return;
        ::close(stdin_);
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    std::string port_;
};
