#include "documents/transfer_run.h"

#include "common/zered_error.h"
#include "common/zered_log.h"
#include "documents/table_transfer.h"

#include <QElapsedTimer>
#include <QThread>

namespace {

// The host of an operation on the worker thread: its own port, the run's
// signals for the progress, and the run's cancel flag.
class WorkerHost : public TransferHost
{
public:
    WorkerHost(TransferRun &run, const QString &portText, const QString &baudText, PortHolder::Factory factory,
               const std::atomic<bool> &cancel)
        : m_run(run), m_portText(portText), m_baudText(baudText), m_ports(std::move(factory)), m_cancel(cancel)
    {
    }
    TKOVPort &OpenPort() override { return m_ports.OpenPort(m_portText, m_baudText); }
    void ClosePort() override { m_ports.ClosePort(); }
    void ProgressStart(int total, int position, int colour) override
    {
        Q_EMIT m_run.progressStarted(total, position, colour);
    }
    void ProgressStep(int position, int colour) override { Q_EMIT m_run.progressStepped(position, colour); }
    void ProgressEnd() override { Q_EMIT m_run.progressEnded(); }
    void KeepAlive(bool cancellable) override
    {
        if (cancellable != m_cancellable)
            Q_EMIT m_run.cancellableChanged(m_cancellable = cancellable);
        if (cancellable && m_cancel)
            throw OstrelError::cancel();
    }
    void LineSettling(bool settling) override { Q_EMIT m_run.lineSettling(settling); }
    // Appended from here: a journal line is one write, whole whichever thread makes it.
    void Journal(const TransferRecord &record) override
    {
        if (m_run.journalled())
            TransferJournal(TransferJournal::DefaultPath()).AppendOrWarn(record, m_portText);
    }

private:
    TransferRun &m_run;
    const QString &m_portText;
    const QString &m_baudText;
    PortHolder m_ports;
    const std::atomic<bool> &m_cancel;
    bool m_cancellable = true;   // as the window shows it at the start
};

}   // namespace

namespace {

// What a transfer raised, as the error the program reports.
OstrelError ErrorOf(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const OstrelError &e) {
        return e;
    } catch (const std::exception &e) {
        return OstrelError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return OstrelError(QStringLiteral("unknown error"));
    }
}

}   // namespace

QString TransferOutcome::message() const
{
    return error ? ErrorOf(error).message() : QString();
}

QString TransferOutcome::detail() const
{
    return error ? ErrorOf(error).detail() : QString();
}

bool TransferOutcome::cancelled() const
{
    return error && ErrorOf(error).isCancel();
}

TransferRun::TransferRun(const QString &portText, const QString &baudText, PortHolder::Factory factory, QObject *parent)
    : QObject(parent), m_portText(portText), m_baudText(baudText), m_factory(std::move(factory))
{
}

TransferRun::~TransferRun()
{
    if (m_thread) {
        cancel();
        m_thread->wait();
        delete m_thread;
    }
}

void TransferRun::start(Operation operation)
{
    Q_ASSERT(!m_thread);
    m_thread = QThread::create([this, operation = std::move(operation)] { run(operation); });
    // Queued: the thread's end reaches this object after every line it logged.
    connect(m_thread, &QThread::finished, this, &TransferRun::finished, Qt::QueuedConnection);
    m_thread->start();
}

bool TransferRun::isRunning() const
{
    return m_thread && !m_thread->isFinished();
}

void TransferRun::wait()
{
    if (m_thread)
        m_thread->wait();
}

void TransferRun::run(const Operation &operation)
{
    const zered::LogRedirect toOwner([this](int colour, const QString &message) { Q_EMIT logLine(colour, message); });
    WorkerHost host(*this, m_portText, m_baudText, m_factory, m_cancel);
    QElapsedTimer timer;
    timer.start();
    try {
        m_outcome.image = operation(host);
    } catch (...) {
        m_outcome.error = std::current_exception();
    }
    m_outcome.durationMs = timer.elapsed();
}
