#include "documents/table_transfer.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"
#include "device/kovserial.h"
#include "documents/table_document.h"

#include <QElapsedTimer>
#include <functional>

namespace {

// Runs work on the opened port; the port is closed and the progress ended
// however it ends.
void WithPort(TransferHost &host, const std::function<void(TKOVPort &)> &work)
{
    struct EndProgress
    {
        TransferHost &host;
        ~EndProgress() { host.ProgressEnd(); }
    } endProgress{host};
    try {
        work(host.OpenPort());
    } catch (...) {
        try {
            host.ClosePort();
        } catch (const OstrelError &e) {
            // The transfer's own error is the one that goes on; this one is only logged.
            zered::LogPrint(zered::clMagenta, "%s", qUtf8Printable(e.message()));
        }
        throw;
    }
    host.ClosePort();
}

} // namespace

void SendTable(TableDocument &document, TransferHost &host)
{
    using namespace TableLink;
    if (document.imageStale())
        document.Update();
    QElapsedTimer timer;
    timer.start();
    WithPort(host, [&](TKOVPort &port) {
        host.ProgressStart(BlockCount, 0, zered::clRed);
        const char *image = document.image().constData();
        for (int block = 0; block < BlockCount; ++block) {
            if (port.SendBlock(WriteCommand, Address + BlockBytes * block, BlockWords, image + BlockBytes * block)
                != 7 + BlockBytes + 1)
                throw OstrelError(Msg::SendError);
            if (port.ReadReply(nullptr, 0) != 0)
                throw OstrelError(Msg::NoAck);
            host.ProgressStep(block, zered::clRed);
        }
        zered::LogPrint(zered::clBlack, Msg::SendTextList, int(timer.elapsed()));
    });
}

void ReceiveTable(TableDocument &document, TransferHost &host)
{
    using namespace TableLink;
    QElapsedTimer timer;
    timer.start();
    WithPort(host, [&](TKOVPort &port) {
        host.ProgressStart(BlockCount, 0, zered::clLime);
        port.SendRequest(ReadCommand, Address, BlockWords, BlockCount);
        char *image = document.image().data();
        int offset = 0;
        for (int block = 0; block < BlockCount; ++block) {
            const int length = port.ReadReply(image + offset, BlockBytes);
            if (length != BlockBytes)
                throw OstrelError(Msg::RecvError);
            offset += length;
            host.ProgressStep(block, zered::clLime);
        }
        zered::LogPrint(zered::clBlack, Msg::RecvTextList, int(timer.elapsed()));
    });
}
