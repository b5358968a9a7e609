#pragma once

// The rates a tty is really set to, read with the kernel's termios2 call, so
// that rates without a standard code (250000, 312500) are seen as well.
struct TtyRates
{
    bool ok;
    unsigned input;
    unsigned output;
};
TtyRates ttyRates(int fd);
