#pragma once

#include <QStringList>

// Thrown for a command line the tool does not understand; main prints the usage.
struct UsageError
{
    QString reason;
};

// The value of a format option: "auto" (loads only), "text", "binary" or "sheet".
enum class TableFormat { Auto, Text, Binary, Sheet };
TableFormat ParseFormat(const QString &option, const QString &value);
// The editor's file kind that loads fileName in format; auto recognises the file.
int LoadKind(TableFormat format, const QString &fileName);
// The editor's file kind that saves in format (text for auto).
int SaveKind(TableFormat format);

// ostrel-cli convert [--from auto|text|binary|sheet] [--to text|binary|sheet] IN OUT
// Raises OstrelError when a load or save fails, UsageError for bad arguments.
void RunConvert(const QStringList &args);
// ostrel-cli check [--from ...] IN: the findings on stdout; fails when there are any.
void RunCheck(const QStringList &args);
