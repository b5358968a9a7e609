#include "shell/command_line.h"

#include <QDir>

EditorCommandLine ParseEditorCommandLine(const QStringList &arguments, const QString &workingDir)
{
    EditorCommandLine line;
    const QDir base(workingDir);
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (options && argument == u"--") {
            options = false;
        } else if (options && (argument == u"--help" || argument == u"-h")) {
            line.request = EditorCommandLine::Request::Help;
        } else if (options && argument == u"--version") {
            if (line.request == EditorCommandLine::Request::Run)
                line.request = EditorCommandLine::Request::Version;
        } else if (options && argument == u"--port" && i + 1 < arguments.size()) {
            line.port = arguments[++i];
        } else if (!argument.isEmpty()) {
            line.files.append(QDir::toNativeSeparators(QDir::cleanPath(base.absoluteFilePath(argument))));
        }
    }
    return line;
}

QString EditorUsage()
{
    return QStringLiteral(
        "usage: ostrel [--port P] [FILE...]\n"
        "       ostrel --help | --version\n"
        "\n"
        "Edits the barcode conversion table of a KOV OCR vision-sensor controller.\n"
        "Each FILE opens in its own table window, its type recognised: a 64 KiB table\n"
        "image (holding a 0x00 byte or named .bin/.dat) as binary, a file starting with\n"
        "a UTF-8 byte order mark as spreadsheet CSV, anything else as CSV/text. A file\n"
        "already open brings its window to the front. When the editor already runs,\n"
        "its window comes to the front and opens the files instead.\n"
        "\n"
        "  --port P    use port P (\"USB\", a serial port name or path) for this run\n"
        "              only; the port chosen before is kept for the next start\n"
        "  --help      print this text and exit\n"
        "  --version   print the version and exit\n");
}

QString EditorVersion()
{
    return QStringLiteral("ostrel (KOV-Ostrel Manager) " OSTREL_VERSION "\n" OSTREL_LEGAL_COPYRIGHT "\n");
}
