// Kept apart from CommInt.cpp: the kernel's termios2 header clashes with <termios.h>.
#include "core/device/SerialBaud.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>

extern "C" int ioctl(int fd, unsigned long request, ...);

int SetCustomBaudRate(int fd, int rate) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return errno;
    t.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = speed_t(rate);
    t.c_ospeed = speed_t(rate);
    if (ioctl(fd, TCSETS2, &t) != 0) return errno;
    return 0;
}

int CurrentBaudRate(int fd) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return -1;
    return int(t.c_ospeed);
}
