#pragma once

#include "common/messages.h"
#include "documents/transfer_journal.h"

#include <QByteArray>
#include <QString>
#include <functional>

class TableDocument;
class TKOVPort;

// What a table transfer borrows from the main window: the device port and
// the progress indicator.
class TransferHost
{
public:
    virtual ~TransferHost() = default;
    virtual TKOVPort &OpenPort() = 0;
    virtual void ClosePort() = 0;
    virtual void ProgressStart(int total, int position, int colour) = 0;
    virtual void ProgressStep(int position, int colour) = 0;
    virtual void ProgressEnd() = 0;
    // Runs while the transfer waits and between blocks: a window host keeps
    // painting here. When the step may be cancelled and the user asked for
    // it, it raises the silent cancel.
    virtual void KeepAlive(bool cancellable) { (void)cancellable; }
    // True while a transfer waits for the controller to end a reply it had
    // begun (after a stop, or before the first request when bytes were still
    // coming; seconds at low rates), false once the line is quiet before a
    // request (after a stop the transfer just ends): a window host says why it
    // is still busy.
    virtual void LineSettling(bool settling) { (void)settling; }
    // A step ended, well or not (receive, backup, send, read-back, compare):
    // its journal line. The host writes it down; a journal that cannot be
    // written does not end the transfer, so this never raises.
    virtual void Journal(const TransferRecord &record) { (void)record; }
};

// The table on the wire: 256 blocks of 128 words at 0x010000 + 256 * block.
namespace TableLink {
inline constexpr int Address = 0x010000;
inline constexpr int BlockCount = 256;
inline constexpr int BlockWords = 128;
inline constexpr int BlockBytes = 2 * BlockWords;
inline constexpr unsigned char ReadCommand = 0xF8;
inline constexpr unsigned char WriteCommand = 0xFC;
} // namespace TableLink

// What a send does around the write: a backup of the controller's table
// first, and a read-back after. With a backup the send knows what it will
// change: nothing, and it writes nothing; otherwise, when confirmChanges is
// set, it is asked with the question that says what (false: nothing is written).
struct SendSafety
{
    QString backupFolder;   // empty: no backup
    bool verify = false;
    std::function<bool(const QString &question)> confirmChanges = {};
};

// Reads the controller's whole table; returns it only when all 256 blocks
// arrived. Both directions ask again for a block the line garbled, up to 3
// times, once the line is quiet; nothing is asked before it is. Logs "recv text list; %dmsec"; it may be cancelled through the
// host, and then logs cancelled. Its journal line names operation and table.
QByteArray ReadControllerTable(TransferHost &host, const char *cancelled = Msg::RecvCancelled,
                               const QString &table = QString(), const char *operation = JournalOperation::Receive);

// Writes the document's table into the controller, one acknowledged block at a
// time (the image is rebuilt first when the grid changed), and logs
// "send text list; %dmsec". With a backup folder the controller's table is
// read and saved there first; with verify it is read back and compared; all
// three on one open port. A failure after the first block carries, as its
// detail, what the controller now holds (the block in flight may have been
// written) and where the backup is. The port is closed and the progress ended
// whether it succeeds or raises. Each step's journal line names table.
// False when it wrote nothing: the controller held the table already, or the
// question about the changes was answered no.
bool SendTable(TableDocument &document, TransferHost &host, const SendSafety &safety = {},
               const QString &table = QString());
// The same for a table image taken before (a send in a worker writes the
// table as it was when the send began).
bool SendTableImage(const QByteArray &image, TransferHost &host, const SendSafety &safety = {},
                    const QString &table = QString());

// Saves a controller table as a binary image named after the time into
// folder (created when missing) and returns the file's path.
QString SaveTableBackup(const QByteArray &image, const QString &folder);

// Raises the verify error naming the first record where the two differ.
void VerifyTable(const QByteArray &sent, const QByteArray &readBack);

// Reads the controller's table into the document's image (not the grid: the
// caller shows it). The image changes only when every block arrived.
void ReceiveTable(TableDocument &document, TransferHost &host, const QString &table = QString());
