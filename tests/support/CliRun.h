#pragma once
// Runs a program of the build (tessaro-cli by default) through the shell and
// collects its exit code and both outputs.
#include "TempDir.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

struct CliResult {
    int rc = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// `env` entries are NAME=VALUE set for this run only; `input` is its standard input.
inline CliResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::vector<std::string>& env = {},
                            const std::string& input = "/dev/null") {
    TempDir tmp;
    std::string cmd = "env";
    for (const auto& e : env)
        cmd += " " + ShellQuote(e);
    cmd += " " + ShellQuote(program);
    for (const auto& a : args)
        cmd += " " + ShellQuote(a);
    cmd +=
        " >" + ShellQuote(tmp / "out") + " 2>" + ShellQuote(tmp / "err") + " <" + ShellQuote(input);
    int status = std::system(cmd.c_str());
    CliResult r;
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = ReadText(tmp / "out");
    r.err = ReadText(tmp / "err");
    return r;
}
