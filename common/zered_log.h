#pragma once

#include <QString>
#include <functional>

// The process-wide message log. Lines go to one attached target (the main
// window's message pane, or stderr for the command-line tool); before a target
// is attached they go nowhere.
namespace zered {

// Colours are 0x00BBGGRR (red in the lowest byte); negative means automatic,
// and -1 also means "not bold".
inline constexpr int clBlack = 0x000000;
inline constexpr int clWhite = 0xFFFFFF;
inline constexpr int clMagenta = 0xFF00FF;
inline constexpr int clNavy = 0x800000;
inline constexpr int clRed = 0x0000FF;
inline constexpr int clLime = 0x00FF00;
inline constexpr int clGray = 0x808080;
inline constexpr int clWarning = 0x0060B0;   // RGB 176,96,0: visibly not an error

class LogTarget
{
public:
    virtual ~LogTarget() = default;
    // One line: plain time stamp, then the message in the given colour.
    virtual void appendLine(const QString &stamp, const QString &message, int colour, bool bold) = 0;
    virtual int backgroundColour() const = 0;
};

// Makes target the log target (nullptr detaches). A non-empty file name also
// opens a log file that receives every line with a date stamp.
void LogAttach(LogTarget *target, const QString &logFileName = QString());
// After this, lines no longer reach the target (the application is shutting down).
void LogShutdown();

// printf-style: %s takes UTF-8 text (use qUtf8Printable), %d an int.
void LogPrint(int colour, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
void LogText(int colour, const QString &message);

// While it lives, the lines this thread logs go to sink instead of the
// target: a worker thread's lines travel to the window's thread through it.
class LogRedirect
{
public:
    using Sink = std::function<void(int colour, const QString &message)>;
    explicit LogRedirect(Sink sink);
    ~LogRedirect();
    LogRedirect(const LogRedirect &) = delete;
    LogRedirect &operator=(const LogRedirect &) = delete;

private:
    Sink m_sink;
    const Sink *m_previous;
};

// The colour a line is drawn in, so no line is ever invisible on the pane.
int EffectiveColour(int colour, int background, bool hasTarget);

} // namespace zered
