#include "tools/ostrel-cli/convert.h"

#include "common/counted_text.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "documents/file_recognition.h"
#include "documents/table_check.h"
#include "documents/table_document.h"

#include <QFile>
#include <QMap>
#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

TableFormat ParseFormat(const QString &option, const QString &value)
{
    static const QMap<QString, TableFormat> formats{{u"auto"_qs, TableFormat::Auto},
                                                    {u"text"_qs, TableFormat::Text},
                                                    {u"binary"_qs, TableFormat::Binary},
                                                    {u"sheet"_qs, TableFormat::Sheet},
                                                    {u"xlsx"_qs, TableFormat::Xlsx}};
    const auto it = formats.find(value);
    if (it == formats.end() || (option == u"--to" && *it == TableFormat::Auto))
        throw UsageError{
            QStringLiteral("%1 takes %2, not '%3'")
                .arg(option,
                     option == u"--to" ? u"text, binary, sheet or xlsx"_qs : u"auto, text, binary, sheet or xlsx"_qs,
                     value)};
    return *it;
}

// The editor's file kinds: text loads with the remembered kind and saves with
// the first filter of the dialogs; binary and sheet are their filters both ways.
int LoadKind(TableFormat format, const QString &fileName)
{
    switch (format) {
    case TableFormat::Auto: return ResolveLoadKind(FileKindAuto, fileName);
    case TableFormat::Text: return FileKindOwn;
    case TableFormat::Binary: return FileKindBinary;
    case TableFormat::Sheet: return FileKindSheet;
    case TableFormat::Xlsx: return FileKindXlsx;
    }
    return FileKindOwn;
}

int SaveKind(TableFormat format)
{
    switch (format) {
    case TableFormat::Binary: return FileKindBinary;
    case TableFormat::Sheet: return FileKindSheet;
    case TableFormat::Xlsx: return FileKindXlsx;
    default: return FileKindText;
    }
}

void RefuseLosingData(const TableDocument &document, bool force)
{
    const QList<TableFinding> findings = CheckTable(document.grid());
    if (force || LossWarning(findings).isEmpty())
        return;
    LogFindings(findings);
    throw OstrelError(QString::fromUtf8(Msg::CliLosingData));
}

namespace {

// The files of args, with --from, --to and --force (where allowed) read into from, to and force.
QStringList parseFileArgs(const QStringList &args, TableFormat &from, TableFormat *to, bool *force)
{
    QStringList files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (force && arg == u"--force") {
            *force = true;
        } else if (arg == u"--from" || (to && arg == u"--to")) {
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("%1 needs a value").arg(arg)};
            (arg == u"--from" ? from : *to) = ParseFormat(arg, args[++i]);
        } else if (arg.startsWith(u"--")) {
            throw UsageError{QStringLiteral("unknown option %1").arg(arg)};
        } else {
            files.append(arg);
        }
    }
    return files;
}

} // namespace

void RunConvert(const QStringList &args)
{
    TableFormat from = TableFormat::Auto, to = TableFormat::Text;
    bool force = false;
    const QStringList files = parseFileArgs(args, from, &to, &force);
    if (files.size() != 2)
        throw UsageError{u"convert takes an input and an output file"_qs};

    TableDocument document;
    document.LoadFromFile(files[0], LoadKind(from, files[0]));
    const int saveKind = SaveKind(to);
    if (saveKind == FileKindBinary)
        RefuseLosingData(document, force);
    if (files[1] != u"-") {
        document.SaveToFile(files[1], saveKind);
        return;
    }
#ifdef Q_OS_WIN
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    // Unbuffered, so a failed write fails the save before it logs success.
    QFile out;
    if (!out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw OstrelError(QString::fromUtf8(Msg::CannotOpenFile).arg(u"-"_qs, out.errorString()));
    document.SaveToDevice(out, u"-"_qs, saveKind);
}

void RunCheck(const QStringList &args)
{
    TableFormat from = TableFormat::Auto;
    const QStringList files = parseFileArgs(args, from, nullptr, nullptr);
    if (files.size() != 1)
        throw UsageError{u"check takes one table file"_qs};
    TableDocument document;
    document.LoadFromFile(files[0], LoadKind(from, files[0]));
    const QList<TableFinding> findings = CheckTable(document.grid());
    for (const TableFinding &f : findings)
        std::printf("%s\n", qUtf8Printable(f.text));
    std::fflush(stdout);
    if (!findings.isEmpty())
        throw OstrelError(FillCounted(Msg::CheckFound, {QString::number(findings.size())}));
}
