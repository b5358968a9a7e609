#include "tools/ostrel-cli/convert.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "documents/table_document.h"

#include <QFile>
#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// The editor's file kind codes: text loads with the remembered kind and saves
// with the first filter of the dialogs, binary is 2 both ways.

} // namespace

bool IsBinaryFormat(const QString &option, const QString &value)
{
    if (value == u"text")
        return false;
    if (value == u"binary")
        return true;
    throw UsageError{QStringLiteral("%1 takes text or binary, not '%2'").arg(option, value)};
}

void RunConvert(const QStringList &args)
{
    bool fromBinary = false, toBinary = false;
    QStringList files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"--from" || arg == u"--to") {
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("%1 needs a value").arg(arg)};
            (arg == u"--from" ? fromBinary : toBinary) = IsBinaryFormat(arg, args[++i]);
        } else if (arg.startsWith(u"--")) {
            throw UsageError{QStringLiteral("unknown option %1").arg(arg)};
        } else {
            files.append(arg);
        }
    }
    if (files.size() != 2)
        throw UsageError{u"convert takes an input and an output file"_qs};

    TableDocument document;
    document.LoadFromFile(files[0], fromBinary ? FileKindBinary : FileKindOwn);
    const int saveKind = toBinary ? FileKindBinary : FileKindText;
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
