#include "common/user_prompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

namespace {

QPointer<QWidget> &promptParent()
{
    static QPointer<QWidget> parent;
    return parent;
}

class MessageBoxPrompts : public UserPrompts
{
public:
    bool Confirm(const QString &text) override
    {
        return QMessageBox::question(promptParent(), QString(), text,
                                     QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
               == QMessageBox::Ok;
    }

    SaveAnswer AskSave(const QString &text, bool offerAll) override
    {
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        if (offerAll)
            buttons |= QMessageBox::YesToAll | QMessageBox::NoToAll;
        switch (QMessageBox::question(promptParent(), QString(), text, buttons, QMessageBox::Yes)) {
        case QMessageBox::Yes: return SaveAnswer::Yes;
        case QMessageBox::No: return SaveAnswer::No;
        case QMessageBox::YesToAll: return SaveAnswer::YesToAll;
        case QMessageBox::NoToAll: return SaveAnswer::NoToAll;
        default: return SaveAnswer::Cancel;
        }
    }

    bool RunFileDialog(QFileDialog &dialog) override
    {
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    }
};

UserPrompts *&current()
{
    static UserPrompts *prompts = nullptr;
    return prompts;
}

} // namespace

QString FileDialogFilters()
{
    // Each entry shows the text before its last parentheses; the last ones hold the patterns.
    return QStringLiteral("CSV/text (*.csv;*.txt) (*.csv *.txt);;"
                          "binary file(*.bin,*.dat) (*.bin *.dat);;"
                          "all files(*.*) (*);;"
                          "spreadsheet CSV, UTF-8 (*.csv) (*.csv)");
}

UserPrompts &Prompts()
{
    static MessageBoxPrompts boxes;
    return current() ? *current() : boxes;
}

void SetPrompts(UserPrompts *prompts)
{
    current() = prompts;
}

void SetPromptParent(QWidget *parent)
{
    promptParent() = parent;
}
