#pragma once

#include "common/captions.h"
#include "documents/textlist_form.h"
#include "fake_prompts.h"
#include "shell/barcodemain.h"
#include "shell/file_commands.h"

#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
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

inline QStringList WithoutLoadAndSaveTimes(QStringList lines)
{
    lines.removeIf([](const QString &l) { return l.endsWith(u"msec"); });
    return lines;
}

inline int WindowCount(const TOstrelMain &main)
{
    return int(main.documentArea()->subWindowList().size());
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

// A main window on screen with one table window over a file on disk, and the
// questions answered by a script.
struct WindowOverFile
{
    QTemporaryDir dir;
    QString path;
    FakePrompts prompts;
    TOstrelMain main;
    TTextList2Form *form = nullptr;

    explicit WindowOverFile(const QByteArray &bytes = "conv,bar\r\n", const QString &name = QStringLiteral("t.csv"))
        : path(WriteFile(dir, name, bytes))
    {
        main.show();
        form = main.OpenDocument(path);
    }
    TableDocument &doc() { return form->document(); }
    // Another program writes the file.
    void changeOnDisk(const QByteArray &bytes) { WriteFile(dir, QFileInfo(path).fileName(), bytes); }
    // An edit in the window, as typing makes it.
    void edit(const QByteArray &text) { doc().EditCell(1, 1, text); }
    // The window comes to the front after another one was.
    void activateAgain()
    {
        main.NewDocument(QString());
        main.documentArea()->showDocument(form);
        QCoreApplication::processEvents();
    }
};
