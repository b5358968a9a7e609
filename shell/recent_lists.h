#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The two most-recently-used lists of the Recent Files submenu: files above
// its separator, folders below it, most recent first. Entries hold their
// captions as the menu shows them (see PathToCaption); each keeps an id for
// its whole life, so a clicked entry can be found again after the lists change.
class RecentLists
{
public:
    struct Entry
    {
        int id = 0;
        QString caption;
    };

    static constexpr int MaxFiles = 22;
    static constexpr int MaxFolders = 12;

    // The file on top of the files, then its folder on top of the folders.
    void AddRecent(const QString &path);
    // Puts an entry on top, after removing every entry of the same path
    // (ASCII letters compared without case) and the oldest over the limit.
    void AddRecentFile(const QString &path);
    void AddRecentFolder(const QString &path);

    // Gives each list its access keys: "&1".."&9" for files, "&A".."&I" for
    // folders; the tenth entry on has none.
    void Number();

    // Moves the entry to the top of its list; false when it is gone.
    bool MoveFileToTop(int id);
    bool MoveFolderToTop(int id);

    const QList<Entry> &files() const { return m_files; }
    const QList<Entry> &folders() const { return m_folders; }
    QStringList fileCaptions() const;
    QStringList folderCaptions() const;
    // The path of a file or folder entry; empty when there is none with that id.
    QString pathOf(int id) const;

private:
    void addOnTop(QList<Entry> &list, const QString &path, int limit);

    QList<Entry> m_files;
    QList<Entry> m_folders;
    int m_lastId = 0;
};

// The folder part of a path: up to and including its last separator ("\\",
// ":", and "/" on systems that use it); empty when it has none.
QString FolderOf(const QString &path);

// Equal when they differ at most in the case of ASCII letters.
bool SamePathIgnoringAsciiCase(const QString &a, const QString &b);
