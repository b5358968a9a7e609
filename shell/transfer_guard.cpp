#include "shell/transfer_guard.h"

#include "common/zered_error.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {
// Often enough for a smooth bar and a live window, rare enough to cost nothing.
constexpr int EventIntervalMs = 15;

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}
} // namespace

TransferGuard::TransferGuard(QAbstractButton *cancelButton) : m_cancelButton(cancelButton)
{
    qApp->installEventFilter(this);
    if (m_cancelButton)
        connect(m_cancelButton, &QAbstractButton::clicked, this, [this] { m_cancelRequested = true; });
    m_sinceEvents.start();
}

TransferGuard::~TransferGuard()
{
    qApp->removeEventFilter(this);
}

void TransferGuard::KeepAlive(bool cancellable)
{
    if (m_cancelButton)
        m_cancelButton->setEnabled(cancellable);
    if (m_sinceEvents.elapsed() >= EventIntervalMs) {
        m_sinceEvents.restart();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    if (cancellable && m_cancelRequested)
        throw OstrelError::cancel();
}

bool TransferGuard::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // A question the transfer itself asks (what a send changes) must be answerable.
    if (QWidget *question = QApplication::activeModalWidget();
        question && watched->isWidgetType()
        && (watched == question || question->isAncestorOf(static_cast<QWidget *>(watched))))
        return false;
    // Shortcuts reach actions, which are no widgets: none may run now. An
    // accepted override keeps the shortcut map from trying the key at all.
    if (type == QEvent::ShortcutOverride || type == QEvent::Shortcut) {
        event->accept();
        if (type == QEvent::ShortcutOverride && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            m_cancelRequested = true;
        return true;
    }
    // Input reaches a window first and is then handed to its widgets: it is
    // judged at the widget, where the cancel button can be told apart.
    if (!watched->isWidgetType() || !isUserInput(type))
        return false;
    if (type == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
        m_cancelRequested = true;
    if (type == QEvent::Close) {
        event->ignore();   // a window closing now would pull the table from under the transfer
        return true;
    }
    if (m_cancelButton && m_cancelButton->isEnabled() && watched == m_cancelButton.data())
        return false;
    return true;   // dropped: nothing typed or clicked during a transfer runs later
}
