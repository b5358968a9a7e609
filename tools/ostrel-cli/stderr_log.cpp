#include "tools/ostrel-cli/stderr_log.h"

#include <cstdio>

void StderrLog::appendLine(const QString &, const QString &message, int, bool)
{
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    std::fflush(stderr);
}
