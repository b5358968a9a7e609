// Loaded into Wine (LD_PRELOAD) for the serial tests: a pseudo-terminal has no
// modem lines, and Wine's wait for serial events gives up when it cannot read
// them. Here a pty reports the lines of a connected null-modem cable instead.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

// Pseudo-terminal slaves have the majors 136 to 143.
static int is_pty(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

int ioctl(int fd, unsigned long request, ...)
{
    static int (*real_ioctl)(int, unsigned long, void *);
    if (!real_ioctl)
        real_ioctl = (int (*)(int, unsigned long, void *))dlsym(RTLD_NEXT, "ioctl");
    va_list args;
    va_start(args, request);
    void *arg = va_arg(args, void *);
    va_end(args);
    const int result = real_ioctl(fd, request, arg);
    if (result != 0 && request == TIOCMGET && (errno == ENOTTY || errno == EINVAL) && is_pty(fd)) {
        *(int *)arg = TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
        return 0;
    }
    return result;
}
