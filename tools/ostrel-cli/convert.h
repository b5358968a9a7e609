#pragma once

#include <QStringList>

// Thrown for a command line the tool does not understand; main prints the usage.
struct UsageError
{
    QString reason;
};

// "text" or "binary" as the value of a format option.
bool IsBinaryFormat(const QString &option, const QString &value);

// ostrel-cli convert [--from text|binary] [--to text|binary] IN OUT
// Raises OstrelError when a load or save fails, UsageError for bad arguments.
void RunConvert(const QStringList &args);
