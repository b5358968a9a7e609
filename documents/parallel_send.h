#pragma once

#include "documents/table_transfer.h"
#include "documents/transfer_run.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <vector>

// What a send to several ports calls a port in its lines: its name without "/dev/".
QString PortLabel(const QString &port);

// One table image written to several controllers at once, a transfer run
// each. A serial port's debug copy ("dbg-ttyUSB0.out") and, with a backup,
// the backup folder ("backups/ttyUSB0") are its own, so the sends never mix.
// No question is asked about a port's changes: choosing the ports was the
// answer; a port whose controller held the table already is left as it was.
class ParallelSend : public QObject
{
    Q_OBJECT
public:
    ParallelSend(const QStringList &ports, const QString &baudText, PortHolder::Factory factory,
                 QObject *parent = nullptr);
    // Cancels the runs still going and waits for their end.
    ~ParallelSend() override;

    // Every run starts at once; each step goes into the transfer journal unless journalled is false.
    void start(const QByteArray &image, const SendSafety &safety, const QString &table, bool journalled = true);
    void cancel();
    // Blocks until every run ended; for callers without an event loop.
    void wait();
    bool isRunning() const;
    const std::vector<std::unique_ptr<TransferRun>> &runs() const { return m_runs; }
    // A port that ended well: written, or held the table already (nothing written).
    static bool HeldAlready(const TransferOutcome &outcome) { return outcome.ok() && outcome.image.isEmpty(); }
    // What the run of port index ended with when it failed: the error's
    // detail, then its message; nothing after a success or a cancel.
    QStringList FailureLines(int index) const;
    // Once every run ended: "sent to all 3 ports: ..."; raises "send failed
    // on 1 of 3 ports: ..." naming each failed port with its message.
    QString Summary() const;

Q_SIGNALS:
    // The run of port index ended; its outcome is valid.
    void portEnded(int index);
    // Every run ended, after the last portEnded.
    void ended();

private:
    std::vector<std::unique_ptr<TransferRun>> m_runs;
    int m_running = 0;
};
