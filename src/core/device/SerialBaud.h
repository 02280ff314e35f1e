#pragma once

// Sets a baud rate that has no POSIX speed constant on an open terminal.
// Returns 0 or the errno of the failure.
int SetCustomBaudRate(int fd, int rate);

// The rate the terminal's output runs at, or -1 with errno set.
int CurrentBaudRate(int fd);
