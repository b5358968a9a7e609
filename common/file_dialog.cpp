#include "common/file_dialog.h"

#include "common/user_prompts.h"

#include <QFileInfo>

TFileDialog::TFileDialog(Kind kind, QWidget *parent)
    : QFileDialog(parent, QString(), QString(), FileDialogFilters())
{
    setObjectName(kind == Kind::Open ? QStringLiteral("OpenDialog") : QStringLiteral("SaveDialog"));
    setOption(QFileDialog::HideNameFilterDetails);
    setDefaultSuffix(QStringLiteral("csv"));
    if (kind == Kind::Open) {
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::ExistingFiles);
    } else {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
        setOption(QFileDialog::DontConfirmOverwrite, false);
    }
    setSizeGripEnabled(true);
}

bool TFileDialog::Execute()
{
    if (!Prompts().RunFileDialog(*this))
        return false;
    Q_EMIT folderChosen(QFileInfo(FileName()).absolutePath());
    return true;
}

int TFileDialog::FilterIndex() const
{
    // With the details hidden the dialog reports the shown part of a filter.
    const QString chosen = selectedNameFilter();
    const QStringList filters = nameFilters();
    for (qsizetype i = 0; i < filters.size(); ++i)
        if (filters[i] == chosen || filters[i].startsWith(chosen + QLatin1String(" (")))
            return int(i) + 1;
    return 1;
}

QString TFileDialog::FileName() const
{
    return selectedFiles().value(0);
}

void TFileDialog::SetFileName(const QString &name)
{
    selectFile(name);
}

void TFileDialog::SetInitialDir(const QString &folder)
{
    setDirectory(folder);
}
