// ostrel-cli: the editor's table files and its controller link, without windows.

#include "common/version_info.h"
#include "common/zered_error.h"
#include "common/zered_log.h"
#include "tools/ostrel-cli/convert.h"
#include "tools/ostrel-cli/link.h"
#include "tools/ostrel-cli/stderr_log.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

struct Subcommand
{
    const char *name;
    const char *usage;
    void (*run)(const QStringList &args);
};

const Subcommand subcommands[] = {
    {"convert",
     "convert [--from auto|text|binary|sheet|xlsx] [--to text|binary|sheet|xlsx] [--force] IN OUT   (OUT \"-\" = "
     "stdout)",
     RunConvert},
    {"recv", "recv [--port P] [--baud B] [--to text|binary|sheet|xlsx] [--no-journal] OUT", RunRecv},
    {"send",
     "send [--port P]... [--baud B] [--from auto|text|binary|sheet|xlsx] [--backup DIR] [--verify] [--dry-run] "
     "[--force] [--no-journal] IN   (several --port: all at once)",
     RunSend},
    {"diff", "diff [--port P] [--baud B] [--no-journal] A B   (A, B: a table file or \"controller\")", RunDiff},
    {"check", "check [--from auto|text|binary|sheet|xlsx] IN   (exit 1 when it finds something)", RunCheck},
    {"ports", "ports", RunPorts},
};

void printUsage(std::FILE *out)
{
    std::fprintf(out, "usage:\n");
    for (const Subcommand &s : subcommands)
        std::fprintf(out, "  ostrel-cli %s\n", s.usage);
    std::fprintf(out, "  ostrel-cli --help | --version\n");
}

int usage(const QString &reason)
{
    if (!reason.isEmpty())
        std::fprintf(stderr, "ostrel-cli: %s\n", qUtf8Printable(reason));
    printUsage(stderr);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    app.setApplicationName(QLatin1String(ApplicationName));
    app.setOrganizationName(QLatin1String(OrganizationName));
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage(QString());
    const QString name = args.takeFirst();
    if (name == u"--help" || name == u"-h") {
        printUsage(stdout);
        return 0;
    }
    if (name == u"--version") {
        std::printf("ostrel-cli (KOV-Ostrel Manager) %s\n", OSTREL_VERSION);
        return 0;
    }
    for (const Subcommand &s : subcommands) {
        if (name != QLatin1String(s.name))
            continue;
        StderrLog log;
        zered::LogAttach(&log);
        try {
            s.run(args);
        } catch (const DifferencesFound &) {
            zered::LogAttach(nullptr);
            return 1;
        } catch (const UsageError &e) {
            zered::LogAttach(nullptr);
            return usage(e.reason);
        } catch (const OstrelError &e) {
            // The error report of the tool: the message is the last line on stderr.
            zered::LogAttach(nullptr);
            if (!e.detail().isEmpty())
                std::fprintf(stderr, "%s\n", qUtf8Printable(e.detail()));
            if (!e.isCancel())
                std::fprintf(stderr, "%s\n", qUtf8Printable(e.message()));
            return 1;
        }
        zered::LogAttach(nullptr);
        return 0;
    }
    return usage(QStringLiteral("unknown command %1").arg(name));
}
