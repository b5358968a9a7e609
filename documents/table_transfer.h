#pragma once

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

// Writes the document's table into the controller, one acknowledged block at a
// time (the image is rebuilt first when the grid changed), and logs
// "send text list; %dmsec". The port is closed and the progress ended whether
// it succeeds or raises.
void SendTable(TableDocument &document, TransferHost &host);

// Reads the controller's table into the document's image (not the grid: the
// caller shows it) and logs "recv text list; %dmsec". Blocks that arrived
// before a failure stay in the image.
void ReceiveTable(TableDocument &document, TransferHost &host);
