#pragma once

#include <QStringList>

// Thrown for a command line the tool does not understand; main prints the usage.
struct UsageError
{
    QString reason;
};

// The value of a format option: "auto" (loads only), "text", "binary", "sheet" or "xlsx".
enum class TableFormat { Auto, Text, Binary, Sheet, Xlsx };
TableFormat ParseFormat(const QString &option, const QString &value);
// The editor's file kind that loads fileName in format; auto recognises the file.
int LoadKind(TableFormat format, const QString &fileName);
// The editor's file kind that saves in format (text for auto).
int SaveKind(TableFormat format);

class TableDocument;
// Before a binary image is written or a table sent: when the check finds texts that
// would be cut or entries the controller would not see, logs them and refuses,
// unless force is set.
void RefuseLosingData(const TableDocument &document, bool force);

// ostrel-cli convert [--from auto|text|binary|sheet|xlsx] [--to text|binary|sheet|xlsx] [--force] IN OUT
// Raises OstrelError when a load or save fails, UsageError for bad arguments.
void RunConvert(const QStringList &args);
// ostrel-cli check [--from ...] IN: the findings on stdout; fails when there are any.
void RunCheck(const QStringList &args);
