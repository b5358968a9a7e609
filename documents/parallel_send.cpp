#include "documents/parallel_send.h"

#include "common/messages.h"
#include "common/zered_error.h"

#include <QDir>
#include <algorithm>

QString PortLabel(const QString &port)
{
    return port.startsWith(u"/dev/") ? port.mid(5) : port;
}

namespace {

// The port's part of its own file and folder names: "pts/3" gives "pts-3".
QString OwnName(const QString &port)
{
    QString name = PortLabel(port);
    name.replace(u'/', u'-').replace(u'\\', u'-').replace(u':', u'-');
    return name;
}

}   // namespace

ParallelSend::ParallelSend(const QStringList &ports, const QString &baudText, PortHolder::Factory factory,
                           QObject *parent)
    : QObject(parent)
{
    for (const QString &port : ports) {
        const QString debugCopy = QStringLiteral("dbg-%1.out").arg(OwnName(port));
        auto ownCopy = [factory, debugCopy](bool usb) {
            std::unique_ptr<TKOVPort> made = factory(usb);
            if (auto *serial = dynamic_cast<TKOVSerial *>(made.get()))
                serial->DebugCopyPath = debugCopy;
            return made;
        };
        m_runs.push_back(std::make_unique<TransferRun>(port, baudText, ownCopy));
    }
}

ParallelSend::~ParallelSend()
{
    cancel();
    m_runs.clear();   // each run waits for its own end
}

void ParallelSend::start(const QByteArray &image, const SendSafety &safety, const QString &table, bool journalled)
{
    m_running = int(m_runs.size());
    for (int index = 0; index < int(m_runs.size()); ++index) {
        TransferRun &run = *m_runs[index];
        SendSafety own = safety;
        own.confirmChanges = {};
        if (!own.backupFolder.isEmpty())
            own.backupFolder = QDir(own.backupFolder).filePath(OwnName(run.portText()));
        run.setJournalled(journalled);
        connect(&run, &TransferRun::finished, this, [this, index] {
            Q_EMIT portEnded(index);
            if (--m_running == 0)
                Q_EMIT ended();
        });
        // The image comes back from a port it was written to.
        run.start([image, own, table](TransferHost &host) {
            return SendTableImage(image, host, own, table) ? image : QByteArray();
        });
    }
}

void ParallelSend::cancel()
{
    for (const std::unique_ptr<TransferRun> &run : m_runs)
        run->cancel();
}

void ParallelSend::wait()
{
    for (const std::unique_ptr<TransferRun> &run : m_runs)
        run->wait();
}

bool ParallelSend::isRunning() const
{
    return std::any_of(m_runs.begin(), m_runs.end(), [](const auto &run) { return run->isRunning(); });
}

QStringList ParallelSend::FailureLines(int index) const
{
    const TransferOutcome &outcome = m_runs[index]->outcome();
    if (outcome.ok() || outcome.cancelled())
        return {};
    QStringList lines = outcome.detail().split(u'\n', Qt::SkipEmptyParts);
    lines.append(outcome.message());
    return lines;
}

QString ParallelSend::Summary() const
{
    QStringList written, failed;
    for (const std::unique_ptr<TransferRun> &run : m_runs) {
        const QString label = PortLabel(run->portText());
        const TransferOutcome &outcome = run->outcome();
        if (!outcome.ok())
            failed.append(QStringLiteral("%1 (%2)").arg(label, outcome.cancelled()
                                                                   ? QString::fromUtf8(Msg::JournalCancelled)
                                                                   : outcome.message()));
        else
            written.append(HeldAlready(outcome) ? QStringLiteral("%1 (%2)").arg(label, Msg::UnchangedPort) : label);
    }
    if (!failed.isEmpty())
        throw OstrelError(
            QString::fromUtf8(Msg::SendFailedOnPorts).arg(failed.size()).arg(m_runs.size()).arg(failed.join(u", ")));
    return QString::fromUtf8(Msg::SentToAllPorts).arg(m_runs.size()).arg(written.join(u", "));
}
