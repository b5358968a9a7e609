#pragma once

#include <QStringList>

// Thrown for a command line the tool does not understand; main prints the usage.
struct UsageError
{
    QString reason;
};

// ostrel-cli convert [--from text|binary] [--to text|binary] IN OUT
// Raises OstrelError when a load or save fails, UsageError for bad arguments.
void RunConvert(const QStringList &args);
