#pragma once

#include "shell/barcodemain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>

inline QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

// The message pane's lines without their "hh:nn:ss " stamps.
inline QStringList LogLines(const TOstrelMain &main)
{
    QStringList lines;
    const QTextDocument *doc = main.messagePane()->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        if (!b.text().isEmpty())
            lines.append(b.text().mid(9));
    return lines;
}
