// kov-sim: plays a KOV controller on a pseudo-terminal. The first line on stdout
// is the device path to open; the simulator answers until it is interrupted.
#include "device/controller_model.h"
#include "device/controller_pty.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
int stopPipe[2] = {-1, -1};

void requestStop(int)
{
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = ::write(stopPipe[1], &byte, 1);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "kov-sim: %s\n", qUtf8Printable(message));
    return 1;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays a KOV controller on a pseudo-terminal and prints its device path first."));
    parser.addHelpOption();
    const QCommandLineOption table(QStringLiteral("table"), QStringLiteral("Start from this 65536-byte image."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption save(QStringLiteral("save"), QStringLiteral("Write the table here at exit."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption baud(QStringLiteral("baud"),
                                  QStringLiteral("Model wire time at this rate, 10 bits a byte."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption capture(QStringLiteral("capture"),
                                     QStringLiteral("Append every received byte to this file."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption silentAfter(QStringLiteral("silent-after"),
                                         QStringLiteral("Stop answering after N reply frames."), QStringLiteral("N"));
    const QCommandLineOption badChecksum(QStringLiteral("bad-checksum-at"),
                                         QStringLiteral("Wrong checksum in reply frame N."), QStringLiteral("N"));
    const QCommandLineOption nakHeader(QStringLiteral("nak-at"),
                                       QStringLiteral("Reply frame N starts with 0x15."), QStringLiteral("N"));
    const QCommandLineOption shortFrame(QStringLiteral("short-frame-at"),
                                        QStringLiteral("Data frame N is 06 40 with 128 bytes."), QStringLiteral("N"));
    const QCommandLineOption ackData(QStringLiteral("ack-data-at"),
                                     QStringLiteral("Acknowledgement N is 06 01 with 2 bytes."), QStringLiteral("N"));
    const QCommandLineOption strayBefore(QStringLiteral("stray-before"),
                                         QStringLiteral("A 0x00 byte goes out just before reply frame N."),
                                         QStringLiteral("N"));
    const QCommandLineOption garble(QStringLiteral("garble-at"),
                                    QStringLiteral("One bit of reply frame N is flipped on the line."),
                                    QStringLiteral("N"));
    const QCommandLineOption hangUp(QStringLiteral("hang-up-at"),
                                    QStringLiteral("The line goes away (as an adapter pulled out) where reply frame N "
                                                   "would start."),
                                    QStringLiteral("N"));
    const QCommandLineOption times(QStringLiteral("fault-times"),
                                   QStringLiteral("Each fault hits its frame and the K - 1 frames after it (1)."),
                                   QStringLiteral("K"), QStringLiteral("1"));
    const QCommandLineOption latency(QStringLiteral("adapter-latency"),
                                     QStringLiteral("A USB-serial adapter holds the controller's bytes until it has "
                                                    "62 or the first has waited MS."),
                                     QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption eventChar(QStringLiteral("adapter-event-char"),
                                       QStringLiteral("The adapter passes on what it holds at once when BYTE comes "
                                                      "(its host set it as the chip's event character; 0xF9 ends an "
                                                      "acknowledgement)."),
                                       QStringLiteral("BYTE"));
    const QCommandLineOption late(QStringLiteral("late"),
                                  QStringLiteral("The controller starts each answer MS after the request."),
                                  QStringLiteral("MS"), QStringLiteral("0"));
    parser.addOptions({table, save, baud, capture, silentAfter, badChecksum, nakHeader, shortFrame, ackData,
                       strayBefore, garble, hangUp, times, latency, eventChar, late});
    parser.process(app);

    ControllerModel model;
    const auto number = [&](const QCommandLineOption &option, int &field) {
        if (!parser.isSet(option))
            return true;
        bool ok = false;
        field = parser.value(option).toInt(&ok);
        return ok && field >= 0;
    };
    int rate = 0, latencyMs = 0, lateMs = 0;
    ControllerFaults &f = model.faults;
    if (!number(baud, rate) || !number(silentAfter, f.silentAfter) || !number(badChecksum, f.badChecksumAt)
        || !number(nakHeader, f.nakHeaderAt) || !number(shortFrame, f.shortFrameAt) || !number(ackData, f.ackWithDataAt)
        || !number(strayBefore, f.strayBeforeAt) || !number(garble, f.garbleAt) || !number(hangUp, f.hangUpAt)
        || !number(times, f.times) || !number(latency, latencyMs) || !number(late, lateMs))
        return fail(QStringLiteral("options take a number >= 0"));
    int eventByte = -1;
    if (parser.isSet(eventChar)) {
        bool ok = false;
        eventByte = parser.value(eventChar).toInt(&ok, 0);
        if (!ok || eventByte < 0 || eventByte > 0xFF)
            return fail(QStringLiteral("--adapter-event-char takes a byte value, 0 to 0xFF"));
    }

    if (parser.isSet(table)) {
        QFile file(parser.value(table));
        if (!file.open(QIODevice::ReadOnly))
            return fail(file.fileName() + QStringLiteral(": ") + file.errorString());
        const QByteArray image = file.readAll();
        if (image.size() != ControllerModel::TableSize)
            return fail(file.fileName() + QStringLiteral(": not a 65536-byte image"));
        model.table = image;
    }
    std::FILE *captureFile = nullptr;
    if (parser.isSet(capture)) {
        captureFile = std::fopen(QFile::encodeName(parser.value(capture)).constData(), "ab");
        if (!captureFile)
            return fail(parser.value(capture) + QStringLiteral(": cannot open"));
    }

    ControllerPty pty(model);
    QString error;
    if (!pty.open(&error))
        return fail(QStringLiteral("cannot create a pseudo-terminal: ") + error);
    pty.setBaud(rate);
    pty.setAdapterLatency(latencyMs);
    pty.setAdapterEventChar(eventByte);
    pty.setLate(lateMs);
    pty.setCapture(captureFile);
    if (::pipe(stopPipe) != 0)
        return fail(QStringLiteral("cannot create a pipe"));
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    std::printf("%s\n", qUtf8Printable(pty.devicePath()));
    std::fflush(stdout);

    pty.serve(stopPipe[0]);

    if (captureFile)
        std::fclose(captureFile);
    std::fprintf(stderr, "kov-sim: %d reply frames sent%s\n", model.framesSent(),
                 model.hungUp() ? "; the line hung up" : "");
    if (parser.isSet(save)) {
        QFile file(parser.value(save));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(model.table) != model.table.size())
            return fail(file.fileName() + QStringLiteral(": ") + file.errorString());
    }
    return 0;
}
