#pragma once

#include "shell/main_actions.h"
#include "shell/recent_lists.h"

#include <QHash>

class CommandHost;
class QAction;
class QMenu;
class QString;
class QWidget;
class TFileDialog;

// The main window's file commands (Open, Save ..., Save As, Save) with their
// dialogs, and the Recent Files submenu: recent files above its separator,
// recent folders below it.
class FileCommands
{
public:
    // The dialogs belong to window; recentMenu holds the lists around separator.
    FileCommands(CommandHost &host, QWidget &window, QMenu *recentMenu, QAction *separator);
    ~FileCommands();

    void AddRecent(const QString &path);
    void AddRecentFile(const QString &path);
    void AddRecentFolder(const QString &path);
    // The entries as the submenu holds them, for storing the lists.
    const RecentLists &recentLists() const { return m_lists; }

    // The folder of the file last chosen in any of the dialogs; each of them starts there.
    const QString &lastFolder() const { return m_lastFolder; }
    void SetLastFolder(const QString &folder);

    TFileDialog &openDialog() const { return *m_openDialog; }
    TFileDialog &saveAsDialog() const { return *m_saveAsDialog; }
    TFileDialog &saveDialog() const { return *m_saveDialog; }
    QMenu *recentMenu() const { return m_recentMenu; }

private:
    void FileOpen1Execute();
    void FileOpen1Accept();
    // Runs a save dialog with its handlers; false when the user cancelled it.
    bool SaveAsExecute(TFileDialog &dialog);
    void FileSaveAs1BeforeExecute(TFileDialog &dialog);
    void FileSaveAs1SaveDialogTypeChange(TFileDialog &dialog);
    void FileSaveAs1Accept(TFileDialog &dialog);
    void FileSaveOverwrite1Execute();
    void FileRecentMenuClick();
    void RecentFileClick(int id);
    void RecentFolderClick(int id);
    TFileDialog *createSaveDialog(MainAction id);
    // Makes the submenu hold the lists' entries, in order, with their captions.
    void showLists();

    CommandHost &m_host;
    QWidget &m_window;
    TFileDialog *m_openDialog;
    TFileDialog *m_saveDialog;     // "&Save ..."
    TFileDialog *m_saveAsDialog;   // "Save &As ...", also run by "&Save" and the close prompt
    QMenu *m_recentMenu;
    QAction *m_recentSeparator;
    RecentLists m_lists;
    QHash<int, QAction *> m_entries;   // by entry id
    QString m_lastFolder;
    bool m_typeChosen = false;   // the user picked a type in the save dialog now open
};
