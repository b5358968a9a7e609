#include "common/user_prompts.h"

#include "common/prompt_meaning.h"
#include "common/zered_lang.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QMessageBox>
#include <QPointer>

namespace {

QPointer<QWidget> &promptParent()
{
    static QPointer<QWidget> parent;
    return parent;
}

// The fixed Japanese prompt, with its English meaning below it outside a
// Japanese interface.
QString MeaningBelow(const QString &text)
{
    return InterfaceIsJapanese() ? QString() : PromptMeaning(text);
}

QMessageBox::StandardButton Ask(const QString &text, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(QMessageBox::Question, QString(), text, buttons, promptParent());
    box.setObjectName(QStringLiteral("PromptBox"));
    box.setDefaultButton(defaultButton);
    box.setInformativeText(MeaningBelow(text));
    return QMessageBox::StandardButton(box.exec());
}

class MessageBoxPrompts : public UserPrompts
{
public:
    bool Confirm(const QString &text) override
    {
        return Ask(text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
    }

    bool ConfirmSend(const QString &text, SendChoices &choices) override
    {
        QDialog dialog(promptParent());
        dialog.setWindowTitle(QApplication::applicationDisplayName());
        auto *icon = new QLabel;
        const int size = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
        icon->setPixmap(dialog.style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, &dialog).pixmap(size));
        auto *question = new QLabel(text);
        auto *meaning = new QLabel(MeaningBelow(text));
        meaning->setObjectName(QStringLiteral("PromptMeaning"));
        meaning->setVisible(!meaning->text().isEmpty());
        auto *backup = new QCheckBox(LocaleLookup(QStringLiteral("SendBackupCheck.Caption"),
                                                  QStringLiteral("&Back up the controller's table first")));
        auto *verify = new QCheckBox(LocaleLookup(QStringLiteral("SendVerifyCheck.Caption"),
                                                  QStringLiteral("&Read back and compare after writing")));
        backup->setChecked(choices.backup);
        verify->setChecked(choices.verify);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        // A stray Enter must not overwrite the controller's table.
        buttons->button(QDialogButtonBox::Ok)->setAutoDefault(false);
        buttons->button(QDialogButtonBox::Cancel)->setDefault(true);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        auto *top = new QHBoxLayout;
        top->addWidget(icon, 0, Qt::AlignTop);
        auto *texts = new QVBoxLayout;
        texts->addWidget(question);
        texts->addWidget(meaning);
        top->addLayout(texts, 1);
        auto *layout = new QVBoxLayout(&dialog);
        layout->addLayout(top);
        layout->addWidget(backup);
        layout->addWidget(verify);
        layout->addWidget(buttons);
        buttons->button(QDialogButtonBox::Cancel)->setFocus();
        if (dialog.exec() != QDialog::Accepted)
            return false;
        choices = {backup->isChecked(), verify->isChecked()};
        return true;
    }

    SaveAnswer AskSave(const QString &text, bool offerAll) override
    {
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        if (offerAll)
            buttons |= QMessageBox::YesToAll | QMessageBox::NoToAll;
        switch (Ask(text, buttons, QMessageBox::Yes)) {
        case QMessageBox::Yes: return SaveAnswer::Yes;
        case QMessageBox::No: return SaveAnswer::No;
        case QMessageBox::YesToAll: return SaveAnswer::YesToAll;
        case QMessageBox::NoToAll: return SaveAnswer::NoToAll;
        default: return SaveAnswer::Cancel;
        }
    }

    ChangedFileAnswer AskOverwriteChanged(const QString &text) override
    {
        QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::NoButton, promptParent());
        box.setObjectName(QStringLiteral("PromptBox"));
        box.setInformativeText(MeaningBelow(text));
        QPushButton *overwrite = box.addButton(LocaleLookup(QStringLiteral("ChangedOverwrite.Caption"),
                                                            QStringLiteral("&Overwrite")),
                                               QMessageBox::DestructiveRole);
        QPushButton *saveAs = box.addButton(LocaleLookup(QStringLiteral("ChangedSaveAs.Caption"),
                                                         QStringLiteral("Save &As ...")),
                                            QMessageBox::AcceptRole);
        QPushButton *cancel = box.addButton(QMessageBox::Cancel);
        // A stray Enter must not overwrite another's work.
        box.setDefaultButton(cancel);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == overwrite)
            return ChangedFileAnswer::Overwrite;
        return box.clickedButton() == saveAs ? ChangedFileAnswer::SaveAs : ChangedFileAnswer::Cancel;
    }

    bool ConfirmChanges(const QString &text) override
    {
        QMessageBox box(QMessageBox::Question, QString(), text, QMessageBox::NoButton, promptParent());
        box.setObjectName(QStringLiteral("PromptBox"));
        box.setInformativeText(MeaningBelow(text));
        QPushButton *send = box.addButton(LocaleLookup(QStringLiteral("ChangesSend.Caption"), QStringLiteral("&Send")),
                                          QMessageBox::AcceptRole);
        QPushButton *cancel = box.addButton(QMessageBox::Cancel);
        // A stray Enter must not overwrite the controller's table.
        box.setDefaultButton(cancel);
        box.setEscapeButton(cancel);
        box.exec();
        return box.clickedButton() == send;
    }

    bool RunFileDialog(QFileDialog &dialog) override
    {
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    }

    std::optional<QString> AskText(const QString &title, const QString &label) override
    {
        bool ok = false;
        const QString text = QInputDialog::getText(promptParent(), title, label, QLineEdit::Normal, QString(), &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
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
                          "spreadsheet CSV, UTF-8 (*.csv) (*.csv);;"
                          "Excel workbook (*.xlsx) (*.xlsx)");
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
