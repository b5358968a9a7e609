#pragma once

#include "common/captions.h"
#include "shell/barcodemain.h"
#include "shell/file_commands.h"

#include <QFile>
#include <QSplitterHandle>
#include <QTest>
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

// The message pane's lines without their "hh:nn:ss " stamps, the two
// version banner lines of the start included or not.
inline QStringList LogLines(const TOstrelMain &main, bool withBanner = false)
{
    QStringList lines;
    const QTextDocument *doc = main.messagePane()->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        if (!b.text().isEmpty())
            lines.append(b.text().mid(9));
    return withBanner ? lines : lines.mid(2);
}

// The colour of a message pane line's text, after its stamp.
inline QColor MessageColour(const TOstrelMain &main, int line)
{
    QTextBlock b = main.messagePane()->document()->findBlockByNumber(line);
    for (auto it = b.begin(); !it.atEnd(); ++it)
        if (it.fragment().position() - b.position() >= 9)
            return it.fragment().charFormat().foreground().color();
    return {};
}

// The recent lists' paths, top entry first.
inline QStringList Paths(const QStringList &captions)
{
    QStringList paths;
    for (const QString &c : captions)
        paths.append(CaptionToPath(c));
    return paths;
}

inline QStringList RecentFiles(const TOstrelMain &main)
{
    return Paths(main.fileCommands().recentLists().fileCaptions());
}

inline QStringList RecentFolders(const TOstrelMain &main)
{
    return Paths(main.fileCommands().recentLists().folderCaptions());
}

// Drags the handle above the message pane up by pixels, as the mouse would.
inline void DragMessageSplitter(TOstrelMain &main, int pixels)
{
    auto *handle = main.findChild<QSplitterHandle *>(QStringLiteral("MessageSplitter"));
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(5, 1));
    QTest::mouseMove(handle, QPoint(5, 1 - pixels));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(5, 1 - pixels));
}
