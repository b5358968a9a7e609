#include "documents/table_transfer.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"
#include "device/kovserial.h"
#include "documents/table_document.h"
#include "documents/table_files.h"
#include "documents/table_image.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstring>
#include <functional>

namespace {

// A stopped transfer may have cut a reply short that the controller goes on
// sending; the line counts as clean once it has been quiet this long. A whole
// table's reply at 115200 baud takes 6 s, hence the limit.
constexpr int SettleQuietMs = 200;
constexpr int SettleLimitMs = 8000;

// Drops what the controller still sends after a transfer stopped, so that the
// next one does not read it as its reply. Never raises: the transfer's own
// error is the one that goes on.
void SettleLine(TKOVPort &port, TransferHost &host)
{
    port.WhileWaiting = [&host] { host.KeepAlive(false); };
    host.LineSettling(true);
    try {
        if (!port.DrainInput(SettleQuietMs, SettleLimitMs))
            zered::LogPrint(zered::clMagenta, Msg::LineStillBusy, SettleLimitMs / 1000);
    } catch (const OstrelError &e) {
        zered::LogPrint(zered::clMagenta, "%s", qUtf8Printable(e.message()));
    }
    host.LineSettling(false);
}

// Runs work on the opened port; the port is closed and the progress ended
// however it ends. When work is cancelled, cancelled (when given) is logged;
// when it stops early, the line is drained first.
void WithPort(TransferHost &host, const char *cancelled, const std::function<void(TKOVPort &)> &work)
{
    struct EndProgress
    {
        TransferHost &host;
        ~EndProgress() { host.ProgressEnd(); }
    } endProgress{host};
    TKOVPort *port = nullptr;
    const auto stopped = [&](bool cancel) {
        if (cancel && cancelled)
            zered::LogPrint(zered::clBlack, "%s", cancelled);
        if (port)
            SettleLine(*port, host);
        try {
            host.ClosePort();
        } catch (const OstrelError &closing) {
            // The transfer's own error is the one that goes on; this one is only logged.
            zered::LogPrint(zered::clMagenta, "%s", qUtf8Printable(closing.message()));
        }
    };
    try {
        port = &host.OpenPort();
        work(*port);
    } catch (const OstrelError &e) {
        stopped(e.isCancel());
        throw;
    } catch (...) {
        stopped(false);
        throw;
    }
    host.ClosePort();
}

// Sets the port's wait to keep the host alive, for the work on it.
void KeepHostAlive(TKOVPort &port, TransferHost &host, bool cancellable)
{
    port.WhileWaiting = [&host, cancellable] { host.KeepAlive(cancellable); };
}

// The line a failed send adds: what the controller now holds and where its
// table from before the send is.
QString PartlyWrittenLine(int failedBlock, const QString &backup)
{
    QString line = failedBlock == 0 ? QString::fromUtf8(Msg::SendBlock0Only)
                                    : QString::fromUtf8(Msg::SendPartlyWritten).arg(failedBlock - 1);
    line += backup.isEmpty() ? QString::fromUtf8(Msg::SendNoBackup)
                                 : QString::fromUtf8(Msg::SendBackupIs).arg(backup);
    return line;
}

} // namespace

QByteArray ReadControllerTable(TransferHost &host, const char *cancelled)
{
    using namespace TableLink;
    QElapsedTimer timer;
    timer.start();
    // Blocks go into an image of their own: the caller's table changes only
    // when all of them arrived.
    QByteArray image(TableImageSize, Qt::Uninitialized);
    WithPort(host, cancelled, [&](TKOVPort &port) {
        KeepHostAlive(port, host, true);
        host.ProgressStart(BlockCount, 0, zered::clLime);
        port.SendRequest(ReadCommand, Address, BlockWords, BlockCount);
        for (int block = 0; block < BlockCount; ++block) {
            if (port.ReadReply(image.data() + BlockBytes * block, BlockBytes) != BlockBytes)
                throw OstrelError(Msg::RecvError);
            host.ProgressStep(block, zered::clLime);
            host.KeepAlive(true);
        }
        zered::LogPrint(zered::clBlack, Msg::RecvTextList, int(timer.elapsed()));
    });
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

void SendTable(TableDocument &document, TransferHost &host, const SendSafety &safety)
{
    using namespace TableLink;
    if (document.imageStale())
        document.Update();
    QString backup;
    if (!safety.backupFolder.isEmpty())
        backup = SaveTableBackup(ReadControllerTable(host, Msg::BackupCancelled), safety.backupFolder);
    QElapsedTimer timer;
    timer.start();
    int failedBlock = -1;   // the block being written, once writing began
    try {
        WithPort(host, nullptr, [&](TKOVPort &port) {
            // Once started, a send runs to its end or its first error.
            KeepHostAlive(port, host, false);
            host.ProgressStart(BlockCount, 0, zered::clRed);
            const char *image = document.image().constData();
            for (int block = 0; block < BlockCount; ++block) {
                failedBlock = block;
                if (port.SendBlock(WriteCommand, Address + BlockBytes * block, BlockWords,
                                   image + BlockBytes * block)
                    != 7 + BlockBytes + 1)
                    throw OstrelError(Msg::SendError);
                if (port.ReadReply(nullptr, 0) != 0)
                    throw OstrelError(Msg::NoAck);
                host.ProgressStep(block, zered::clRed);
                host.KeepAlive(false);
            }
            failedBlock = -1;
            zered::LogPrint(zered::clBlack, Msg::SendTextList, int(timer.elapsed()));
        });
    } catch (const OstrelError &e) {
        if (failedBlock < 0)
            throw;
        const QString line = PartlyWrittenLine(failedBlock, backup);
        throw OstrelError(e.message(), e.detail().isEmpty() ? line : e.detail() + u'\n' + line);
    }
    if (safety.verify)
        VerifyTable(document.image(), ReadControllerTable(host, Msg::VerifyCancelled));
}

void ReceiveTable(TableDocument &document, TransferHost &host)
{
    const QByteArray image = ReadControllerTable(host);
    std::memcpy(document.image().data(), image.constData(), TableImageSize);
}
