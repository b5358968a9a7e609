#include "documents/table_transfer.h"

#include "common/counted_text.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"
#include "device/kovserial.h"
#include "documents/table_compare.h"
#include "documents/table_document.h"
#include "documents/table_files.h"
#include "documents/table_image.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

namespace {

using namespace TableLink;

// One block of the table as the controller sends it: 06 80, 256 bytes, checksum.
constexpr int BlockFrameBytes = 2 + BlockBytes + 1;
constexpr qint64 WholeReplyBytes = qint64(BlockCount) * BlockFrameBytes;
// A block is asked for this many more times after a fault of the line.
constexpr int MaxRetries = 3;
// What a drain may take beyond twice the wire time of what the controller may still send.
constexpr int SettleSlackMs = 1000;

// The port of one operation (backup, send and read-back share it) and what
// the controller may still send if the operation stopped now.
struct Link
{
    TKOVPort &port;
    TransferHost &host;
    qint64 mayStillSend = WholeReplyBytes;
    const char *cancelled = nullptr;   // logged when the step under way is cancelled
};

// Reads and drops what the controller still sends until the line has been
// quiet a while; false when bytes were still coming at the limit, which is
// scaled to what it may still send at the line's rate.
bool DrainUntilQuiet(Link &link)
{
    TKOVPort &port = link.port;
    return port.DrainInput(port.QuietMs(), 2 * port.WireMs(link.mayStillSend) + port.QuietMs() + SettleSlackMs);
}

// Drops what the controller still sends after a transfer stopped, so that the
// next one does not read it as its reply. Never raises: the transfer's own
// error is the one that goes on. The host hears of the settling only as it
// begins: the transfer ends with it.
void SettleLine(Link &link)
{
    link.port.WhileWaiting = [&host = link.host] { host.KeepAlive(false); };
    link.host.LineSettling(true);
    try {
        QElapsedTimer timer;
        timer.start();
        if (!DrainUntilQuiet(link))
            zered::LogPrint(zered::clMagenta, Msg::LineStillBusy, int(timer.elapsed() / 1000));
    } catch (const OstrelError &e) {
        zered::LogPrint(zered::clMagenta, "%s", qUtf8Printable(e.message()));
    }
}

// The line naming the parity, framing and overrun errors seen, or nothing.
QString LineErrorsLine(const TKOVPort &port)
{
    const TKOVPort::LineErrorCounts counts = port.LineErrors();
    if (!counts.any())
        return QString();
    QStringList kinds;
    for (const auto &[count, text] :
         {std::pair{counts.Parity, Msg::ParityErrors}, std::pair{counts.Framing, Msg::FramingErrors},
          std::pair{counts.Overrun, Msg::OverrunErrors}})
        if (count)
            kinds.append(QString::fromUtf8(text).arg(count));
    return QString::fromUtf8(Msg::LineErrorsSeen).arg(kinds.join(u", "));
}

QString WithLine(const QString &detail, const QString &line)
{
    if (line.isEmpty())
        return detail;
    return detail.isEmpty() ? line : detail + u'\n' + line;
}

// Whatever the controller was still sending (for a transfer killed before,
// say) ends before anything is asked of it; the host says why it waits once
// something did come. A line that never falls quiet ends the transfer.
void AwaitQuietLine(Link &link, bool cancellable)
{
    TKOVPort &port = link.port;
    TransferHost &host = link.host;
    struct Settling
    {
        TransferHost &host;
        bool on = false;
        ~Settling()
        {
            if (on)
                host.LineSettling(false);
        }
    } settling{host};
    port.WhileWaiting = [&] {
        if (!settling.on && port.BytesTaken > 0)
            host.LineSettling(settling.on = true);
        host.KeepAlive(cancellable);
    };
    QElapsedTimer timer;
    timer.start();
    if (!DrainUntilQuiet(link))
        throw OstrelError(QString::fromUtf8(Msg::LineNotQuiet).arg(timer.elapsed() / 1000));
}

// Runs work on the opened port, after the line fell quiet; the port is closed
// and the progress ended however it ends. When the work stops early, the line
// is drained first, unless the port went away. With a text for a cancel, the
// wait for a quiet line may be cancelled too.
void WithPort(TransferHost &host, const char *cancelled, const std::function<void(Link &)> &work)
{
    struct EndProgress
    {
        TransferHost &host;
        ~EndProgress() { host.ProgressEnd(); }
    } endProgress{host};
    std::optional<Link> link;
    bool working = false;   // the line was quiet and the work began
    const auto stopped = [&](bool cancel) {
        if (cancel && link && link->cancelled)
            zered::LogPrint(zered::clBlack, "%s", link->cancelled);
        if (link && working && !link->port.LinkGone)
            SettleLine(*link);
        try {
            host.ClosePort();
        } catch (const OstrelError &closing) {
            // The transfer's own error is the one that goes on; this one is only logged.
            zered::LogPrint(zered::clMagenta, "%s", qUtf8Printable(closing.message()));
        }
    };
    try {
        link.emplace(Link{host.OpenPort(), host});
        link->cancelled = cancelled;
        AwaitQuietLine(*link, cancelled != nullptr);
        working = true;
        work(*link);
    } catch (const OstrelError &e) {
        // Counted before the port is closed and released.
        const QString lineErrors = link && !e.isCancel() ? LineErrorsLine(link->port) : QString();
        stopped(e.isCancel());
        if (lineErrors.isEmpty())
            throw;
        throw OstrelError(e.message(), WithLine(e.detail(), lineErrors));
    } catch (...) {
        stopped(false);
        throw;
    }
    host.ClosePort();
}

// Sets the port's wait to keep the host alive, for the work on it.
void KeepHostAlive(Link &link, bool cancellable)
{
    link.port.WhileWaiting = [&host = link.host, cancellable] { host.KeepAlive(cancellable); };
}

// Whether a failed reply is asked for again: a fault of the line (no answer,
// a garbled one), on a line that is still there, with retries left. A
// time-out counts only once something came from the line: a controller that
// never answered is not attached, and asking again would only wait longer.
bool WorthRetrying(const OstrelError &e, const TKOVPort &port, int retries)
{
    const QString &message = e.message();
    const bool lineFault = message == QLatin1String(Msg::ChecksumMismatched)
                           || message == QLatin1String(Msg::ReplyHeaderMissing)
                           || (message == QLatin1String(Msg::ReadTimeout) && port.BytesTaken > 0);
    return lineFault && !port.LinkGone && retries < MaxRetries;
}

// Says that block goes again and waits until the rest of the failed reply has
// passed; a line that does not fall quiet ends the transfer with error.
void PrepareRetry(Link &link, int block, const OstrelError &error)
{
    zered::LogPrint(zered::clWarning, Msg::BlockAgain, block, qUtf8Printable(error.message()));
    if (!DrainUntilQuiet(link))
        throw error;
}

// Reads the controller's table over the link; progress in lime.
QByteArray ReadTableOn(Link &link)
{
    TKOVPort &port = link.port;
    TransferHost &host = link.host;
    // Blocks go into an image of their own: the caller's table changes only
    // when all of them arrived.
    QByteArray image(TableImageSize, Qt::Uninitialized);
    KeepHostAlive(link, true);
    host.ProgressStart(BlockCount, 0, zered::clLime);
    // One request brings the blocks from one on; after a fault the controller
    // is asked again from the failed block.
    const auto request = [&](int from) {
        port.DiscardInput();
        port.SendRequest(ReadCommand, Address + BlockBytes * from, BlockWords, BlockCount - from);
    };
    request(0);
    int retries = 0;
    for (int block = 0; block < BlockCount;) {
        link.mayStillSend = qint64(BlockCount - block) * BlockFrameBytes;
        try {
            if (port.ReadReply(image.data() + BlockBytes * block, BlockBytes) != BlockBytes)
                throw OstrelError(Msg::RecvError);
        } catch (const OstrelError &e) {
            if (!WorthRetrying(e, port, retries++))
                throw;
            PrepareRetry(link, block, e);
            request(block);
            continue;
        }
        retries = 0;
        host.ProgressStep(block, zered::clLime);
        host.KeepAlive(true);
        ++block;
    }
    link.mayStillSend = 0;
    return image;
}

// ReadTableOn with its "recv text list" line.
QByteArray ReadTableLogged(Link &link)
{
    QElapsedTimer timer;
    timer.start();
    QByteArray image = ReadTableOn(link);
    zered::LogPrint(zered::clBlack, Msg::RecvTextList, int(timer.elapsed()));
    return image;
}

// Writes the image block by block, each acknowledged; progress in red. Once
// started, a send runs to its end or its first error. inFlight is the block
// being written, -1 once all are.
void WriteTableOn(Link &link, const QByteArray &image, int &inFlight)
{
    TKOVPort &port = link.port;
    QElapsedTimer timer;
    timer.start();
    KeepHostAlive(link, false);
    link.cancelled = nullptr;
    link.mayStillSend = TKOVPort::MaxReplySize;
    link.host.ProgressStart(BlockCount, 0, zered::clRed);
    for (int block = 0; block < BlockCount; ++block) {
        inFlight = block;
        // Writing a block again at its address does no harm: a fault of the
        // line is answered by writing it again.
        for (int retries = 0;; ++retries) {
            port.DiscardInput();
            if (port.SendBlock(WriteCommand, Address + BlockBytes * block, BlockWords,
                               image.constData() + BlockBytes * block)
                != 7 + BlockBytes + 1)
                throw OstrelError(Msg::SendError);
            try {
                if (port.ReadReply(nullptr, 0) != 0)
                    throw OstrelError(Msg::NoAck);
                break;
            } catch (const OstrelError &e) {
                if (!WorthRetrying(e, port, retries))
                    throw;
                PrepareRetry(link, block, e);
            }
        }
        link.host.ProgressStep(block, zered::clRed);
        link.host.KeepAlive(false);
    }
    inFlight = -1;
    zered::LogPrint(zered::clBlack, Msg::SendTextList, int(timer.elapsed()));
}

// The line a failed send adds: what the controller now holds (the block in
// flight may have been written) and where its table from before the send is.
QString PartlyWrittenLine(int failedBlock, const QString &backup)
{
    QString line = failedBlock == 0 ? QString::fromUtf8(Msg::SendBlock0Only)
                                    : QString::fromUtf8(Msg::SendPartlyWritten).arg(failedBlock - 1).arg(failedBlock);
    line += backup.isEmpty() ? QString::fromUtf8(Msg::SendNoBackup)
                                 : QString::fromUtf8(Msg::SendBackupIs).arg(backup);
    return line;
}

// The journal lines of one operation's steps, each handed to the host as the
// step ends: a step is begun, may say what it moved, and is done, or the
// error that ends the operation ends it.
class StepJournal
{
public:
    StepJournal(TransferHost &host, const QString &table) : m_host(host) { m_record.table = table; }
    void begin(const char *operation)
    {
        m_record.operation = operation;
        m_record.time = QDateTime::currentDateTime();
        m_record.image.clear();
        m_timer.start();
        m_open = true;
    }
    void on(const TKOVPort &port) { m_record.link = port.Identity; }
    void moved(const QByteArray &image) { m_record.image = image; }
    void backedUpTo(const QString &file) { m_record.backupFile = file; }
    void done(const QString &result = QString::fromLatin1(JournalOk))
    {
        if (!m_open)
            return;
        m_open = false;
        m_record.result = result;
        m_record.durationMs = m_timer.elapsed();
        m_host.Journal(m_record);
    }
    void failed(const OstrelError &e) { done(e.isCancel() ? QString::fromUtf8(Msg::JournalCancelled) : e.message()); }

private:
    TransferHost &m_host;
    TransferRecord m_record;
    QElapsedTimer m_timer;
    bool m_open = false;
};

// Runs the steps of an operation; the step under way when it raises is
// journalled with the error.
void Journalled(StepJournal &journal, const std::function<void()> &steps)
{
    try {
        steps();
    } catch (const OstrelError &e) {
        journal.failed(e);
        throw;
    }
}

// What the send changes in the controller's table: nothing, or what the
// question shows; false when the user keeps the table as it is.
bool ConfirmChanges(const QByteArray &before, const QByteArray &image, const SendSafety &safety, StepJournal &journal)
{
    const char *kept = nullptr;
    if (before == image) {
        kept = Msg::SendChangesNothing;
    } else {
        const TableChanges changes = ChangesBetween(before, image);
        zered::LogText(zered::clBlack, FillCounted(Msg::SendChangesRows, {QString::number(changes.records)}));
        if (!safety.confirmChanges || safety.confirmChanges(SendChangesQuestion(changes)))
            return true;
        kept = Msg::SendChangesRefused;
    }
    zered::LogPrint(zered::clBlack, "%s", kept);
    journal.done(QString::fromUtf8(kept));
    return false;
}

} // namespace

QByteArray ReadControllerTable(TransferHost &host, const char *cancelled, const QString &table, const char *operation)
{
    QByteArray image;
    StepJournal journal(host, table);
    journal.begin(operation);
    Journalled(journal, [&] {
        WithPort(host, cancelled, [&](Link &link) {
            journal.on(link.port);
            image = ReadTableLogged(link);
        });
    });
    journal.moved(image);
    journal.done();
    return image;
}

QString SaveTableBackup(const QByteArray &image, const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw OstrelError(QString::fromUtf8(Msg::CannotWriteFile).arg(folder, QString::fromUtf8(Msg::CannotMakeFolder)));
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = QDir(folder).filePath(QStringLiteral("kov-table-%1.bin").arg(stamp));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(QStringLiteral("kov-table-%1-%2.bin").arg(stamp).arg(n));
    WriteFileSafely(path, [&](QIODevice &device) {
        if (!WriteAll(device, image))
            throw OstrelError(QString::fromUtf8(Msg::CannotWriteFile).arg(path, device.errorString()));
    });
    zered::LogPrint(zered::clBlack, Msg::BackupSavedTo, qUtf8Printable(QDir::toNativeSeparators(path)));
    return path;
}

void VerifyTable(const QByteArray &sent, const QByteArray &readBack)
{
    for (int record = 0; record < TableRowCount; ++record) {
        const qsizetype at = qsizetype(record) * TableRecordSize;
        if (sent.sliced(at, TableRecordSize) != readBack.sliced(at, TableRecordSize))
            throw OstrelError(QString::fromUtf8(Msg::VerifyMismatch).arg(record).arg(record + 1));
    }
    zered::LogPrint(zered::clBlack, Msg::VerifiedTable);
}

bool SendTable(TableDocument &document, TransferHost &host, const SendSafety &safety, const QString &table)
{
    if (document.imageStale())
        document.Update();
    return SendTableImage(document.image(), host, safety, table);
}

bool SendTableImage(const QByteArray &image, TransferHost &host, const SendSafety &safety, const QString &table)
{
    QString backup;
    int inFlight = -1;   // the block being written, once writing began
    bool written = false;
    const bool backingUp = !safety.backupFolder.isEmpty();
    StepJournal journal(host, table);
    journal.begin(backingUp ? JournalOperation::Backup : JournalOperation::Send);
    try {
        Journalled(journal, [&] {
            // Backup, write and read-back on one open port: the lines are set once.
            WithPort(host, backingUp ? Msg::BackupCancelled : nullptr, [&](Link &link) {
                journal.on(link.port);
                if (backingUp) {
                    const QByteArray before = ReadTableLogged(link);
                    journal.moved(before);
                    backup = SaveTableBackup(before, safety.backupFolder);
                    journal.backedUpTo(backup);
                    journal.done();
                    journal.begin(JournalOperation::Send);
                    journal.moved(image);
                    if (!ConfirmChanges(before, image, safety, journal))
                        return;
                    journal.begin(JournalOperation::Send);   // timed from here: the question took the user's time
                }
                journal.moved(image);
                WriteTableOn(link, image, inFlight);
                written = true;
                journal.done();
                if (safety.verify) {
                    journal.begin(JournalOperation::ReadBack);
                    link.cancelled = Msg::VerifyCancelled;
                    const QByteArray readBack = ReadTableLogged(link);
                    journal.moved(readBack);
                    VerifyTable(image, readBack);
                    journal.done();
                }
            });
        });
    } catch (const OstrelError &e) {
        if (inFlight < 0)
            throw;
        throw OstrelError(e.message(), WithLine(e.detail(), PartlyWrittenLine(inFlight, backup)));
    }
    return written;
}

void ReceiveTable(TableDocument &document, TransferHost &host, const QString &table)
{
    const QByteArray image = ReadControllerTable(host, Msg::RecvCancelled, table);
    std::memcpy(document.image().data(), image.constData(), TableImageSize);
}
