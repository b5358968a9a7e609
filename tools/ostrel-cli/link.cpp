#include "tools/ostrel-cli/link.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "device/port_selection.h"
#include "documents/table_document.h"
#include "documents/table_transfer.h"
#include "tools/ostrel-cli/convert.h"

#include <cstdio>

namespace {

struct LinkOptions
{
    QString port = QStringLiteral("USB");
    QString baud = QStringLiteral("115.2k");
    TableFormat format = TableFormat::Auto;
    bool verify = false;
    QStringList files;
};

LinkOptions ParseLinkOptions(const QStringList &args, const QString &formatOption, bool takesVerify)
{
    LinkOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool valued = arg == u"--port" || arg == u"--baud" || arg == formatOption;
        if (valued && i + 1 >= args.size())
            throw UsageError{QStringLiteral("%1 needs a value").arg(arg)};
        if (arg == u"--port")
            options.port = args[++i];
        else if (arg == u"--baud")
            options.baud = args[++i];
        else if (arg == formatOption)
            options.format = ParseFormat(arg, args[++i]);
        else if (takesVerify && arg == u"--verify")
            options.verify = true;
        else if (arg.startsWith(u"--"))
            throw UsageError{QStringLiteral("unknown option %1").arg(arg)};
        else
            options.files.append(arg);
    }
    if (options.files.size() != 1)
        throw UsageError{QStringLiteral("one table file is needed")};
    return options;
}

// The port the options name; no progress to show.
class CliHost : public TransferHost
{
public:
    explicit CliHost(const LinkOptions &options) : m_options(options) {}
    TKOVPort &OpenPort() override { return m_ports.OpenPort(m_options.port, m_options.baud); }
    void ClosePort() override { m_ports.ClosePort(); }
    void ProgressStart(int, int, int) override {}
    void ProgressStep(int, int) override {}
    void ProgressEnd() override {}

private:
    const LinkOptions &m_options;
    PortHolder m_ports;
};

} // namespace

void RunRecv(const QStringList &args)
{
    const LinkOptions options = ParseLinkOptions(args, QStringLiteral("--to"), false);
    CliHost host(options);
    TableDocument document;
    ReceiveTable(document, host);
    document.ImageToGrid();
    document.SaveToFile(options.files[0], SaveKind(options.format));
}

void RunSend(const QStringList &args)
{
    const LinkOptions options = ParseLinkOptions(args, QStringLiteral("--from"), true);
    CliHost host(options);
    TableDocument document;
    document.LoadFromFile(options.files[0], LoadKind(options.format, options.files[0]));
    SendTable(document, host);
    if (!options.verify)
        return;
    TableDocument readBack;
    ReceiveTable(readBack, host);
    for (int record = 0; record < TableRowCount; ++record) {
        const qsizetype at = qsizetype(record) * TableRecordSize;
        if (document.image().sliced(at, TableRecordSize) != readBack.image().sliced(at, TableRecordSize))
            throw OstrelError(QString::fromUtf8(Msg::VerifyMismatch).arg(record).arg(record + 1));
    }
}

void RunPorts(const QStringList &args)
{
    if (!args.isEmpty())
        throw UsageError{QStringLiteral("ports takes no arguments")};
    for (const QString &port : AvailablePorts())
        std::printf("%s\n", qUtf8Printable(port));
}
