#pragma once

#include <QFileDialog>

// One of the main window's file dialogs: the table files' three type filters,
// whose 1-based index is the file kind. It is created once and keeps its last
// file name, folder, filter and default extension from one use to the next.
// Running it goes through Prompts(), so tests answer it.
class TFileDialog : public QFileDialog
{
    Q_OBJECT
public:
    enum class Kind { Open, Save };
    TFileDialog(Kind kind, QWidget *parent = nullptr);

    // True when the user confirmed the dialog.
    bool Execute();
    // The chosen filter's index, 1 to 4.
    int FilterIndex() const;
    // The dialog's (first) file name; empty when none is chosen.
    QString FileName() const;
    void SetFileName(const QString &name);
    void SetInitialDir(const QString &folder);

Q_SIGNALS:
    // The folder of the file just chosen; the next file dialog starts there.
    void folderChosen(const QString &folder);
};
