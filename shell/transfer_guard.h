#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QAbstractButton;

// Keeps the program alive while a transfer runs on the one GUI thread: the
// windows repaint and answer the desktop, while user input is dropped (not
// queued for later). Esc and the cancel button ask to cancel; a step that
// may be cancelled then raises the silent cancel from KeepAlive.
class TransferGuard : public QObject
{
    Q_OBJECT
public:
    // cancelButton may be null; it is the one control that takes clicks.
    explicit TransferGuard(QAbstractButton *cancelButton);
    ~TransferGuard() override;

    void KeepAlive(bool cancellable);
    bool cancelRequested() const { return m_cancelRequested; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QAbstractButton> m_cancelButton;
    QElapsedTimer m_sinceEvents;
    bool m_cancelRequested = false;
};
