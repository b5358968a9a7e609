#pragma once

#include "device/port_selection.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <exception>
#include <functional>

class QThread;
class TransferHost;

// How one transfer ended: what it raised (nothing when it succeeded), the
// table it read and how long it took.
struct TransferOutcome
{
    std::exception_ptr error;
    QByteArray image;
    qint64 durationMs = 0;
    bool ok() const { return !error; }
    // The error's message, or empty after a success or a cancel.
    QString message() const;
    QString detail() const;
    bool cancelled() const;
};

// One transfer on a thread of its own: the operation runs there over a port
// the run opens itself (one open per operation), while the thread that
// started it stays free. Progress, the log lines the operation writes and the
// end arrive as signals, queued to the thread the run belongs to. Cancel is a
// flag the operation sees between frames and while it waits.
class TransferRun : public QObject
{
    Q_OBJECT
public:
    // Runs on the worker thread; returns the table it read, if any.
    using Operation = std::function<QByteArray(TransferHost &host)>;

    TransferRun(const QString &portText, const QString &baudText, PortHolder::Factory factory,
                QObject *parent = nullptr);
    // Cancels a run still going and waits for its end.
    ~TransferRun() override;

    void start(Operation operation);
    void cancel() { m_cancel = true; }
    bool isRunning() const;
    // Blocks until the operation ended; for callers without an event loop.
    void wait();
    // Valid once finished was emitted (or wait returned).
    const TransferOutcome &outcome() const { return m_outcome; }
    const QString &portText() const { return m_portText; }
    // Whether each step goes into the user's transfer journal (it does unless told not to).
    void setJournalled(bool journalled) { m_journalled = journalled; }
    bool journalled() const { return m_journalled; }

Q_SIGNALS:
    void progressStarted(int total, int position, int colour);
    void progressStepped(int position, int colour);
    void progressEnded();
    // The step under way may be cancelled, or no longer.
    void cancellableChanged(bool cancellable);
    void lineSettling(bool settling);
    // Emitted on the worker thread; a queued connection brings it home in order.
    void logLine(int colour, const QString &message);
    void finished();

private:
    void run(const Operation &operation);

    QString m_portText;
    QString m_baudText;
    PortHolder::Factory m_factory;
    QThread *m_thread = nullptr;
    std::atomic<bool> m_cancel = false;
    bool m_journalled = true;
    TransferOutcome m_outcome;
};

// What a table window asks of the window that owns the port selectors: to
// run an operation on the selected port. done runs on the caller's thread
// once it ended, unless context is gone by then (its end cancels what may
// still be cancelled); it may raise the outcome's error.
class TransferLauncher
{
public:
    using Done = std::function<void(const TransferOutcome &outcome)>;
    virtual void StartTransfer(TransferRun::Operation operation, QObject *context, Done done) = 0;

protected:
    ~TransferLauncher() = default;
};
