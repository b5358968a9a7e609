#include "tools/ostrel-cli/link.h"

#include "common/counted_text.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"
#include "device/port_selection.h"
#include "documents/table_compare.h"
#include "documents/table_document.h"
#include "documents/table_image.h"
#include "documents/parallel_send.h"
#include "documents/table_transfer.h"
#include "documents/transfer_run.h"
#include "tools/ostrel-cli/convert.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct LinkOptions
{
    QString port = QStringLiteral("USB");
    QStringList ports;   // every --port given
    QString baud = QStringLiteral("115.2k");
    TableFormat format = TableFormat::Auto;
    SendSafety safety;
    bool force = false;
    bool dryRun = false;
    bool journal = true;
    QStringList files;
};

// formatOption and the send options are taken only when given; fileCount
// files are needed.
LinkOptions ParseLinkOptions(const QStringList &args, const QString &formatOption, bool takesSendOptions,
                             int fileCount = 1)
{
    LinkOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool takesBackup = takesSendOptions && arg == u"--backup";
        const bool valued = arg == u"--port" || arg == u"--baud" || (!formatOption.isEmpty() && arg == formatOption)
                            || takesBackup;
        if (valued && i + 1 >= args.size())
            throw UsageError{QStringLiteral("%1 needs a value").arg(arg)};
        if (arg == u"--port")
            options.ports.append(options.port = args[++i]);
        else if (arg == u"--baud")
            options.baud = args[++i];
        else if (takesBackup)
            options.safety.backupFolder = args[++i];
        else if (!formatOption.isEmpty() && arg == formatOption)
            options.format = ParseFormat(arg, args[++i]);
        else if (takesSendOptions && arg == u"--verify")
            options.safety.verify = true;
        else if (takesSendOptions && arg == u"--force")
            options.force = true;
        else if (takesSendOptions && arg == u"--dry-run")
            options.dryRun = true;
        else if (arg == u"--no-journal")
            options.journal = false;
        else if (arg.startsWith(u"--"))
            throw UsageError{QStringLiteral("unknown option %1").arg(arg)};
        else
            options.files.append(arg);
    }
    if (options.ports.size() > 1 && !takesSendOptions)
        throw UsageError{QStringLiteral("one --port is needed")};
    if (options.files.size() != fileCount)
        throw UsageError{fileCount == 1 ? QStringLiteral("one table file is needed")
                                        : QStringLiteral("two tables are needed")};
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
    void Journal(const TransferRecord &record) override
    {
        if (m_options.journal)
            TransferJournal(TransferJournal::DefaultPath()).AppendOrWarn(record, m_options.port);
    }

private:
    const LinkOptions &m_options;
    PortHolder m_ports;
};

// What a send would change, on stdout: nothing, or how many rows and the first of them.
void PrintDryRun(const QByteArray &controller, const QByteArray &image)
{
    if (controller == image) {
        std::printf("%s\n", Msg::DryRunNothing);
        return;
    }
    const TableChanges changes = ChangesBetween(controller, image);
    std::printf("%s\n",
                qUtf8Printable(FillCounted(Msg::DryRunChanges, {QString::number(changes.records), QString::number(changes.first.size())})));
    for (const QString &line : ChangeLines(changes))
        std::printf("%s\n", qUtf8Printable(line));
}

} // namespace

void RunRecv(const QStringList &args)
{
    const LinkOptions options = ParseLinkOptions(args, QStringLiteral("--to"), false);
    CliHost host(options);
    TableDocument document;
    ReceiveTable(document, host, QFileInfo(options.files[0]).absoluteFilePath());
    document.ImageToGrid();
    document.SaveToFile(options.files[0], SaveKind(options.format));
}

namespace {

// The same image to every port at once. Each line the sends log goes out as
// it comes, after its port's name. Raises naming every port that failed.
void SendToSeveral(const QByteArray &image, const QString &table, const LinkOptions &options)
{
    QMutex printing;
    const auto print = [&printing](const QString &label, const QString &text) {
        const QMutexLocker locked(&printing);
        for (const QString &line : text.split(u'\n'))
            std::fprintf(stderr, "%s: %s\n", qUtf8Printable(label), qUtf8Printable(line));
        std::fflush(stderr);
    };
    ParallelSend send(options.ports, options.baud, PortHolder::DefaultFactory());
    for (const std::unique_ptr<TransferRun> &run : send.runs())
        QObject::connect(
            run.get(), &TransferRun::logLine, run.get(),
            [print, label = PortLabel(run->portText())](int, const QString &message) { print(label, message); },
            Qt::DirectConnection);
    send.start(image, options.safety, table, options.journal);
    send.wait();
    for (int index = 0; index < int(send.runs().size()); ++index)
        if (const QStringList lines = send.FailureLines(index); !lines.isEmpty())
            print(PortLabel(send.runs()[index]->portText()), lines.join(u'\n'));
    zered::LogText(zered::clBlack, send.Summary());
}

}   // namespace

void RunSend(const QStringList &args)
{
    const LinkOptions options = ParseLinkOptions(args, QStringLiteral("--from"), true);
    TableDocument document;
    document.LoadFromFile(options.files[0], LoadKind(options.format, options.files[0]));
    RefuseLosingData(document, options.force);
    const QString table = QFileInfo(options.files[0]).absoluteFilePath();
    if (options.ports.size() > 1 && !options.dryRun) {
        SendToSeveral(document.CurrentImage(), table, options);
        return;
    }
    if (options.dryRun) {
        for (const QString &port : options.ports.isEmpty() ? QStringList{options.port} : options.ports) {
            LinkOptions one = options;
            one.port = port;
            CliHost host(one);
            if (options.ports.size() > 1)
                std::printf("%s:\n", qUtf8Printable(PortLabel(port)));
            PrintDryRun(ReadControllerTable(host, Msg::RecvCancelled, table, JournalOperation::Compare),
                        document.CurrentImage());
        }
        return;
    }
    CliHost host(options);
    SendTable(document, host, options.safety, table);
}

namespace {

// A table named on the diff's command line: "controller" or a file, its type
// recognised; the controller's journal line names the other.
QByteArray TableNamed(const QString &name, const QString &other, TransferHost &host)
{
    if (name == u"controller")
        return ReadControllerTable(host, Msg::RecvCancelled, QFileInfo(other).absoluteFilePath(),
                                   JournalOperation::Compare);
    TableDocument document;
    document.LoadFromFile(name, LoadKind(TableFormat::Auto, name));
    return document.CurrentImage();
}

} // namespace

void RunDiff(const QStringList &args)
{
    const LinkOptions options = ParseLinkOptions(args, QString(), false, 2);
    CliHost host(options);
    const QByteArray left = TableNamed(options.files[0], options.files[1], host);
    const QByteArray right = TableNamed(options.files[1], options.files[0], host);
    const QList<TableDifference> differences = CompareTableImages(left, right);
    for (const TableDifference &difference : differences)
        std::printf("%s\n", qUtf8Printable(DifferenceLine(difference)));
    if (!differences.isEmpty())
        throw DifferencesFound{};
}

void RunPorts(const QStringList &args)
{
    if (!args.isEmpty())
        throw UsageError{QStringLiteral("ports takes no arguments")};
    for (const PortEntry &port : AvailablePorts())
        std::printf("%s\n", qUtf8Printable(port.label));
}
