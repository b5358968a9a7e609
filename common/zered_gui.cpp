#include "common/zered_gui.h"

#include "common/action_spec.h"
#include "common/zered_error.h"

#include <QAction>
#include <QKeySequence>

#include <QApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <QThread>
#include <QPointer>

namespace zered {

QColor ToQColor(int colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

int FromQColor(const QColor &colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

namespace {
// At its usual one-line height the message pane would show nothing but the
// horizontal scroll bar once a line is wider than the pane, hiding every later
// message: the bar only comes while the pane has room for a line beside it.
class RoomForALine : public QObject
{
public:
    explicit RoomForALine(QTextEdit *pane) : QObject(pane), m_pane(pane)
    {
        pane->installEventFilter(this);
        fit();
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)
            fit();
        return false;
    }

private:
    void fit()
    {
        const int needed = m_pane->fontMetrics().lineSpacing() + m_pane->horizontalScrollBar()->sizeHint().height()
                           + 2 * m_pane->frameWidth();
        m_pane->setHorizontalScrollBarPolicy(m_pane->height() >= needed ? Qt::ScrollBarAsNeeded
                                                                        : Qt::ScrollBarAlwaysOff);
    }

    QTextEdit *m_pane;
};
} // namespace

RichEditLog::RichEditLog(QTextEdit *pane) : m_pane(pane)
{
    new RoomForALine(pane);
}

void RichEditLog::appendLine(const QString &stamp, const QString &message, int colour, bool bold)
{
    m_pane->setUpdatesEnabled(false);
    QTextCursor cursor(m_pane->document());
    cursor.movePosition(QTextCursor::End);
    if (!m_pane->document()->isEmpty())
        cursor.insertBlock();
    QTextCharFormat plain;
    cursor.insertText(stamp, plain);
    QTextCharFormat coloured;
    coloured.setForeground(ToQColor(colour));
    if (bold)
        coloured.setFontWeight(QFont::Bold);
    // Line breaks inside the message become further lines, all in the message's style.
    QString text = message;
    text.replace(QLatin1String("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        cursor.insertText(lines[i], coloured);
    }
    m_pane->setUpdatesEnabled(true);
    // The newest line is shown from its start, time stamp first, however long it is.
    cursor.movePosition(QTextCursor::StartOfBlock);
    m_pane->setTextCursor(cursor);
    m_pane->ensureCursorVisible();
    m_pane->horizontalScrollBar()->setValue(0);
}

int RichEditLog::backgroundColour() const
{
    return FromQColor(m_pane->viewport()->palette().color(m_pane->viewport()->backgroundRole()));
}

int WidthWithinScreen(const QWidget *window, int wanted)
{
    const QScreen *screen = window->screen();
    return screen ? std::min(wanted, screen->availableGeometry().width() * 9 / 10) : wanted;
}

void FlashControl(QWidget *control)
{
    // A blink nobody can see would only hold the program up.
    if (!control || !control->isVisible())
        return;
    QWidget *surface = control;
    if (auto *edit = qobject_cast<QTextEdit *>(control))
        surface = edit->viewport();
    const QPalette saved = surface->palette();
    const bool savedAutoFill = surface->autoFillBackground();
    surface->setAutoFillBackground(true);
    for (int i = 0; i < 2; ++i) {
        for (const QColor &c : {QColor(Qt::black), QColor(Qt::white)}) {
            QPalette p = saved;
            p.setColor(surface->backgroundRole(), c);
            surface->setPalette(p);
            surface->repaint();
            QThread::msleep(66);
        }
    }
    surface->setPalette(saved);
    surface->setAutoFillBackground(savedAutoFill);
    surface->repaint();
}

namespace {
QPointer<QWidget> &errorPane()
{
    static QPointer<QWidget> pane;
    return pane;
}
} // namespace

void SetErrorPane(QWidget *pane)
{
    errorPane() = pane;
}

void ReportError(const QString &message, const QString &detail)
{
    if (message.isEmpty())
        return;
    LogPrint(clMagenta, "%s", qUtf8Printable(message));
    if (!detail.isEmpty())
        LogPrint(clMagenta, "%s", qUtf8Printable(detail));
    FlashControl(errorPane());
    QApplication::beep();
}

bool Guarded(const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const OstrelError &e) {
        ReportError(e.message(), e.detail());
    } catch (const std::exception &e) {
        ReportError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

QString LongHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

} // namespace zered

QAction *CreateAction(const ActionSpec &spec, QObject *parent)
{
    const auto text = [](std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); };
    // A form may have placed the action in its menus already, under the entry's name.
    auto *action = parent->findChild<QAction *>(text(spec.name), Qt::FindDirectChildrenOnly);
    if (!action) {
        action = new QAction(parent);
        action->setObjectName(text(spec.name));
    }
    action->setText(text(spec.caption));
    action->setProperty("category", text(spec.category));
    QList<QKeySequence> keys;
    if (!spec.shortcut.empty())
        keys.append(QKeySequence(text(spec.shortcut)));
    if (!spec.secondary.empty())
        keys.append(QKeySequence(text(spec.secondary)));
    action->setShortcuts(keys);
    return action;
}
