#include "tty_line.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

TtyRates ttyRates(int fd)
{
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return {false, 0, 0};
    return {true, tio.c_ispeed, tio.c_ospeed};
}
