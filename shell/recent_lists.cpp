#include "shell/recent_lists.h"

#include "common/captions.h"

#include <algorithm>

namespace {

char16_t AsciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

// Windows takes '/' as well as '\\', and Qt hands out paths with '/' there too.
bool IsFolderSeparator(QChar c)
{
    return c == u'\\' || c == u':' || c == u'/';
}

QStringList Captions(const QList<RecentLists::Entry> &list)
{
    QStringList captions;
    for (const RecentLists::Entry &e : list)
        captions.append(e.caption);
    return captions;
}

void NumberList(QList<RecentLists::Entry> &list, char16_t firstKey)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString shown = PathToCaption(CaptionToPath(list[i].caption));
        list[i].caption = i <= 8 ? QStringLiteral("&%1\t%2").arg(QChar(char16_t(firstKey + i)), shown)
                                 : u'\t' + shown;
    }
}

bool MoveToTop(QList<RecentLists::Entry> &list, int id)
{
    const auto it = std::find_if(list.begin(), list.end(), [id](const RecentLists::Entry &e) { return e.id == id; });
    if (it == list.end())
        return false;
    list.move(it - list.begin(), 0);
    return true;
}

} // namespace

bool SamePathIgnoringAsciiCase(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i].unicode()) != AsciiLower(b[i].unicode()))
            return false;
    return true;
}

QString FolderOf(const QString &path)
{
    for (qsizetype i = path.size(); i > 0; --i)
        if (IsFolderSeparator(path[i - 1]))
            return path.left(i);
    return QString();
}

void RecentLists::AddRecent(const QString &path)
{
    AddRecentFile(path);
    AddRecentFolder(path);
}

void RecentLists::AddRecentFile(const QString &path)
{
    addOnTop(m_files, path, MaxFiles);
}

void RecentLists::AddRecentFolder(const QString &path)
{
    addOnTop(m_folders, FolderOf(path), MaxFolders);
}

void RecentLists::addOnTop(QList<Entry> &list, const QString &path, int limit)
{
    list.removeIf([&path](const Entry &e) { return SamePathIgnoringAsciiCase(CaptionToPath(e.caption), path); });
    while (list.size() >= limit)
        list.removeLast();
    list.prepend(Entry{++m_lastId, PathToCaption(path)});
}

void RecentLists::Number()
{
    NumberList(m_files, u'1');
    NumberList(m_folders, u'A');
}

bool RecentLists::MoveFileToTop(int id)
{
    return MoveToTop(m_files, id);
}

bool RecentLists::MoveFolderToTop(int id)
{
    return MoveToTop(m_folders, id);
}

QStringList RecentLists::fileCaptions() const
{
    return Captions(m_files);
}

QStringList RecentLists::folderCaptions() const
{
    return Captions(m_folders);
}

QString RecentLists::pathOf(int id) const
{
    for (const QList<Entry> *list : {&m_files, &m_folders})
        for (const Entry &e : *list)
            if (e.id == id)
                return CaptionToPath(e.caption);
    return QString();
}
