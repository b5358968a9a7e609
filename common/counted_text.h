#pragma once

#include <QString>
#include <QStringList>

// Fills the placeholders %1..%9 of a message with args in one pass (so an
// argument holding "%2" is not filled in turn), and picks the form of each
// "{one|many}" by the placeholder before it: the first form when that
// argument is "1", the second otherwise ("%1 {row|rows}" -> "1 row", "3 rows");
// "{2:is|are}" picks by argument 2 wherever it stands.
QString FillCounted(const QString &text, const QStringList &args);
QString FillCounted(const char *text, const QStringList &args);
