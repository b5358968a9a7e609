#include "common/zered_log.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <cstdarg>
#include <memory>

namespace zered {
namespace {

struct LogState
{
    LogTarget *target = nullptr;
    bool shuttingDown = false;
    std::unique_ptr<QFile> file;
};

LogState &state()
{
    static LogState s;
    return s;
}

QString timeText(const QTime &t)
{
    // The regional time separator: ":" unless the locale writes times with ".".
    const char *sep = QLocale::system().timeFormat(QLocale::ShortFormat).contains(u'.') ? "." : ":";
    return QString::asprintf("%02d%s%02d%s%02d", t.hour(), sep, t.minute(), sep, t.second());
}

thread_local const LogRedirect::Sink *t_redirect = nullptr;

} // namespace

LogRedirect::LogRedirect(Sink sink) : m_sink(std::move(sink)), m_previous(t_redirect)
{
    t_redirect = &m_sink;
}

LogRedirect::~LogRedirect()
{
    t_redirect = m_previous;
}

void LogAttach(LogTarget *target, const QString &logFileName)
{
    LogState &s = state();
    if (!logFileName.isEmpty()) {
        auto f = std::make_unique<QFile>(logFileName);
        if (f->open(QIODevice::ReadWrite | QIODevice::Append)) {
            f->write("\r\n");
            s.file = std::move(f);
        }
    }
    s.target = target;
    s.shuttingDown = false;
}

void LogShutdown()
{
    state().shuttingDown = true;
}

int EffectiveColour(int colour, int background, bool hasTarget)
{
    if (!hasTarget)
        return colour < 0 ? clBlack : colour;
    if (colour < 0 || colour == background)
        return background == clBlack ? clWhite : clBlack;
    return colour;
}

void LogText(int colour, const QString &message)
{
    if (t_redirect) {
        (*t_redirect)(colour, message);
        return;
    }
    LogState &s = state();
    const QDateTime now = QDateTime::currentDateTime();
    const QString stamp = timeText(now.time()) + u' ';
    if (s.target && !s.shuttingDown) {
        const int effective = EffectiveColour(colour, s.target->backgroundColour(), true);
        s.target->appendLine(stamp, message, effective, colour != -1);
    }
    if (s.file) {
        const QString fileStamp = now.date().toString(u"yyyy/MM/dd"_qs) + u' ' + stamp;
        s.file->write((fileStamp + message).toUtf8() + "\r\n");
        s.file->flush();
    }
}

void LogPrint(int colour, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const QString message = QString::vasprintf(format, args);
    va_end(args);
    LogText(colour, message);
}

} // namespace zered
