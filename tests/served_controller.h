#pragma once

#include "device/controller_model.h"
#include "device/controller_pty.h"

#include <QtGlobal>
#include <thread>
#include <unistd.h>

// The controller model answering on a pseudo-terminal from its own thread,
// at once or, given a rate, as fast as a line of that rate carries the bytes.
struct ServedController
{
    ControllerModel model;
    ControllerPty pty{model};
    int stop[2] = {-1, -1};
    std::thread thread;

    explicit ServedController(int baud = 0)
    {
        QString error;
        if (!pty.open(&error) || ::pipe(stop) != 0)
            qFatal("no pseudo-terminal: %s", qPrintable(error));
        pty.setBaud(baud);
        thread = std::thread([this] { pty.serve(stop[0]); });
    }
    ~ServedController()
    {
        [[maybe_unused]] const ssize_t n = ::write(stop[1], "x", 1);
        thread.join();
        ::close(stop[0]);
        ::close(stop[1]);
    }
};
