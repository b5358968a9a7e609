#include "shell/file_commands.h"

#include "common/captions.h"
#include "common/file_dialog.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_gui.h"
#include "documents/file_recognition.h"
#include "documents/file_stamp.h"
#include "documents/table_image.h"
#include "documents/textlist_form.h"
#include "shell/command_host.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

FileCommands::FileCommands(CommandHost &host, QWidget &window, QMenu *recentMenu, QAction *separator)
    : m_host(host),
      m_window(window),
      m_openDialog(new TFileDialog(TFileDialog::Kind::Open, &window)),
      m_saveDialog(createSaveDialog(MainAction::FileSave1)),
      m_saveAsDialog(createSaveDialog(MainAction::FileSaveAs1)),
      m_recentMenu(recentMenu),
      m_recentSeparator(separator)
{
    QObject::connect(m_host.action(MainAction::FileOpen1), &QAction::triggered, &m_window, [this] {
        zered::Guarded([this] { FileOpen1Execute(); });
    });
    QObject::connect(m_host.action(MainAction::FileSaveOverwrite1), &QAction::triggered, &m_window, [this] {
        zered::Guarded([this] { FileSaveOverwrite1Execute(); });
    });
    QObject::connect(m_recentMenu, &QMenu::aboutToShow, &m_window, [this] { FileRecentMenuClick(); });
    for (TFileDialog *dialog : {m_openDialog, m_saveDialog, m_saveAsDialog})
        QObject::connect(dialog, &TFileDialog::folderChosen, &m_window, [this](const QString &folder) {
            SetLastFolder(folder);
        });
}

FileCommands::~FileCommands() = default;

TFileDialog *FileCommands::createSaveDialog(MainAction id)
{
    auto *dialog = new TFileDialog(TFileDialog::Kind::Save, &m_window);
    QObject::connect(dialog, &QFileDialog::filterSelected, &m_window, [this, dialog] {
        m_typeChosen = true;
        FileSaveAs1SaveDialogTypeChange(*dialog);
    });
    QObject::connect(m_host.action(id), &QAction::triggered, &m_window, [this, dialog] {
        zered::Guarded([this, dialog] { SaveAsExecute(*dialog); });
    });
    return dialog;
}

void FileCommands::FileOpen1Execute()
{
    if (m_openDialog->Execute())
        FileOpen1Accept();
}

void FileCommands::FileOpen1Accept()
{
    const QStringList files = m_openDialog->selectedFiles();
    // A maximized active window would make every new one open maximized.
    if (files.size() > 1)
        m_host.SetActiveChildState(true);
    // A chosen type is honoured; "all files" chooses none.
    const int filter = m_openDialog->FilterIndex();
    const int kind = filter == FileKindBinary || filter == FileKindSheet || filter == FileKindXlsx ? filter
                     : filter == FileKindAllFiles                                                  ? FileKindAuto
                                                                                                   : FileKindOwn;
    for (const QString &path : files) {
        m_host.OpenDocument(path, kind);
        if (kind != FileKindBinary)
            AddRecent(path);
    }
}

bool FileCommands::SaveAsExecute(TFileDialog &dialog)
{
    FileSaveAs1BeforeExecute(dialog);
    m_typeChosen = false;
    if (!dialog.Execute())
        return false;
    FileSaveAs1Accept(dialog);
    return true;
}

void FileCommands::FileSaveAs1BeforeExecute(TFileDialog &dialog)
{
    if (TTextList2Form *table = m_host.activeTable(); table && !table->FileName().isEmpty())
        dialog.SetFileName(table->FileName());
}

void FileCommands::FileSaveAs1SaveDialogTypeChange(TFileDialog &dialog)
{
    switch (dialog.FilterIndex()) {
    case FileKindText: dialog.setDefaultSuffix(QStringLiteral("csv")); break;
    case FileKindBinary: dialog.setDefaultSuffix(QStringLiteral("bin")); break;
    case FileKindAllFiles: dialog.setDefaultSuffix(QString()); break;
    case FileKindSheet: dialog.setDefaultSuffix(QStringLiteral("csv")); break;
    case FileKindXlsx: dialog.setDefaultSuffix(QStringLiteral("xlsx")); break;
    default: break;
    }
}

void FileCommands::FileSaveAs1Accept(TFileDialog &dialog)
{
    TTextList2Form *table = m_host.activeTable();
    if (!table)
        return;
    const QString target = dialog.FileName();
    for (const TTextList2Form *other : m_host.documents())
        if (other != table && !other->FileName().isEmpty() && SameFile(other->FileName(), target))
            throw OstrelError(QString::fromUtf8(Msg::OpenInAnotherWindow).arg(target));
    int kind = dialog.FilterIndex();
    const QString suffix = QFileInfo(target).suffix().toLower();
    const bool binaryName = kind == FileKindText && (suffix == u"bin" || suffix == u"dat");
    // The type offered first, untouched: the binary file's name typed says what is meant.
    if (binaryName && !m_typeChosen)
        kind = FileKindBinary;
    table->SaveToFile(target, kind);
    if (binaryName && m_typeChosen)
        zered::LogPrint(zered::clWarning, Msg::SavedAsTextDespiteName, qUtf8Printable(target));
    else if (binaryName)
        zered::LogPrint(zered::clBlack, Msg::SavedAsBinaryByName, qUtf8Printable(target));
    if (kind != FileKindBinary)
        AddRecent(target);
}

void FileCommands::FileSaveOverwrite1Execute()
{
    TTextList2Form *table = m_host.activeTable();
    if (!table)
        return;
    if (!table->FileName().isEmpty())
        table->SaveToFile(table->FileName(), FileKindOwn);
    else if (!SaveAsExecute(*m_saveAsDialog))
        return;   // nothing was saved, so there is nothing to report
    // A text save writes its own line, with its time.
    if (table->document().fileKind() == FileKindBinary)
        zered::LogPrint(zered::clBlack, Msg::SaveTo, qUtf8Printable(table->FileName()));
}

void FileCommands::SetLastFolder(const QString &folder)
{
    m_lastFolder = folder;
    for (TFileDialog *dialog : {m_openDialog, m_saveDialog, m_saveAsDialog})
        dialog->SetInitialDir(folder);
}

void FileCommands::AddRecent(const QString &path)
{
    m_lists.AddRecent(path);
    showLists();
}

void FileCommands::AddRecentFile(const QString &path)
{
    m_lists.AddRecentFile(path);
    showLists();
}

void FileCommands::AddRecentFolder(const QString &path)
{
    m_lists.AddRecentFolder(path);
    showLists();
}

void FileCommands::FileRecentMenuClick()
{
    m_lists.Number();
    showLists();
}

void FileCommands::RecentFileClick(int id)
{
    m_host.OpenDocument(m_lists.pathOf(id));
    m_lists.MoveFileToTop(id);
    showLists();
}

void FileCommands::RecentFolderClick(int id)
{
    m_openDialog->SetFileName(QString());
    m_openDialog->SetInitialDir(m_lists.pathOf(id));
    FileOpen1Execute();
    // Opening a file from this very folder has replaced the entry by a new one.
    if (m_lists.MoveFolderToTop(id))
        showLists();
}

void FileCommands::showLists()
{
    QList<QAction *> order;
    QHash<int, QAction *> kept;
    auto place = [&](const QList<RecentLists::Entry> &list, void (FileCommands::*click)(int)) {
        for (const RecentLists::Entry &entry : list) {
            QAction *item = m_entries.take(entry.id);
            if (!item) {
                item = new QAction(&m_window);
                QObject::connect(item, &QAction::triggered, &m_window, [this, click, id = entry.id] {
                    zered::Guarded([this, click, id] { (this->*click)(id); });
                });
            }
            item->setText(entry.caption);
            kept.insert(entry.id, item);
            order.append(item);
        }
    };
    place(m_lists.files(), &FileCommands::RecentFileClick);
    order.append(m_recentSeparator);
    place(m_lists.folders(), &FileCommands::RecentFolderClick);
    // What is left has dropped out of the lists; one may be running its own click.
    for (QAction *gone : std::as_const(m_entries)) {
        m_recentMenu->removeAction(gone);
        gone->deleteLater();
    }
    m_entries = kept;
    for (QAction *item : order)
        m_recentMenu->removeAction(item);
    m_recentMenu->addActions(order);
}
