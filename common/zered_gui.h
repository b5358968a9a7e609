#pragma once

#include "common/zered_log.h"

#include <QColor>
#include <QString>
#include <functional>

class QTextEdit;
class QWidget;
class OstrelError;

namespace zered {

// 0x00BBGGRR colour value to QColor and back.
QColor ToQColor(int colour);
int FromQColor(const QColor &colour);

// The message pane as log target: a plain time stamp, then the message in its
// colour (bold unless automatic -1), the newest line kept in view.
class RichEditLog : public LogTarget
{
public:
    explicit RichEditLog(QTextEdit *pane);
    void appendLine(const QString &stamp, const QString &message, int colour, bool bold) override;
    int backgroundColour() const override;

private:
    QTextEdit *m_pane;
};

// A window width that shows wanted pixels of content where the screen has room:
// at most 9/10 of the screen the window is on.
int WidthWithinScreen(const QWidget *window, int wanted);

// Blinks the control's background black and white twice (about 264 ms).
void FlashControl(QWidget *control);

// The application-wide error report: a non-empty message becomes a magenta
// line, the message pane blinks and the system beeps; an empty one is a
// silent cancel; a detail follows on a line of its own. The pane is the one
// given to SetErrorPane.
void SetErrorPane(QWidget *pane);
void ReportError(const QString &message, const QString &detail = QString());

// Runs a command; an error that escapes it goes to the error report.
// Returns false when it failed.
bool Guarded(const std::function<void()> &command);

// The long part of a hint: the text after the first "|", or the whole hint.
QString LongHint(const QString &hint);

} // namespace zered
