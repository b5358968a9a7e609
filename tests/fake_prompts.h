#pragma once

#include "common/user_prompts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

// Answers the program's questions from a script and records what was asked.
class FakePrompts : public UserPrompts
{
public:
    FakePrompts() { SetPrompts(this); }
    ~FakePrompts() override { SetPrompts(nullptr); }

    // A file dialog's answer as the user gives it: the type chosen first
    // (0 keeps the dialog's), then the files; no files is a cancel.
    struct FileAnswer
    {
        QStringList files;
        int filterIndex = 0;
    };

    QList<SaveAnswer> saveAnswers;     // taken in order; Cancel when used up
    QList<ChangedFileAnswer> changedAnswers;   // taken in order; Cancel when used up
    QList<FileAnswer> fileAnswers;     // file dialog answers in order; cancel when used up
    bool confirmAnswer = true;
    QStringList textAnswers;           // AskText answers in order; Cancel when used up

    QStringList asked;                 // texts of the save prompts and confirmations
    QList<bool> offeredAll;            // per save prompt: Yes to All / No to All shown
    int fileDialogs = 0;
    QStringList shownFolders;          // the folder each file dialog opened in
    QStringList shownNames;            // the file name each dialog opened with

    SendChoices sendChoices{false, false};   // what the send confirmation is left with
    QList<SendChoices> sendOffered;    // the choices each send confirmation showed

    bool ConfirmSend(const QString &text, SendChoices &choices) override
    {
        asked.append(text);
        sendOffered.append(choices);
        if (confirmAnswer)
            choices = sendChoices;
        return confirmAnswer;
    }
    QList<bool> changesAnswers;   // the answers to the send's changes question; Send when used up
    bool ConfirmChanges(const QString &text) override
    {
        asked.append(text);
        return changesAnswers.isEmpty() || changesAnswers.takeFirst();
    }
    bool Confirm(const QString &text) override
    {
        asked.append(text);
        return confirmAnswer;
    }
    SaveAnswer AskSave(const QString &text, bool offerAll) override
    {
        asked.append(text);
        offeredAll.append(offerAll);
        return saveAnswers.isEmpty() ? SaveAnswer::Cancel : saveAnswers.takeFirst();
    }
    ChangedFileAnswer AskOverwriteChanged(const QString &text) override
    {
        asked.append(text);
        return changedAnswers.isEmpty() ? ChangedFileAnswer::Cancel : changedAnswers.takeFirst();
    }
    std::optional<QString> AskText(const QString &title, const QString &label) override
    {
        asked.append(title + u'\n' + label);
        return textAnswers.isEmpty() ? std::nullopt : std::optional<QString>(textAnswers.takeFirst());
    }
    bool RunFileDialog(QFileDialog &dialog) override
    {
        ++fileDialogs;
        shownFolders.append(dialog.directory().path());
        shownNames.append(dialog.selectedFiles().value(0));
        const FileAnswer answer = fileAnswers.isEmpty() ? FileAnswer{} : fileAnswers.takeFirst();
        if (answer.filterIndex > 0) {
            // As the user's pick in the type box: the dialog reports the change.
            const QString filter = dialog.nameFilters().value(answer.filterIndex - 1);
            dialog.selectNameFilter(filter);
            Q_EMIT dialog.filterSelected(filter);
        }
        if (answer.files.isEmpty())
            return false;
        if (answer.files.size() == 1) {
            dialog.selectFile(answer.files.first());
        } else {
            // Several names typed into the name box, in their folder.
            dialog.setDirectory(QFileInfo(answer.files.first()).path());
            QStringList quoted;
            for (const QString &f : answer.files)
                quoted.append(u'"' + QFileInfo(f).fileName() + u'"');
            dialog.selectFile(quoted.join(u' '));
        }
        return true;
    }
};
