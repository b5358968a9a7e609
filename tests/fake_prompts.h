#pragma once

#include "common/user_prompts.h"

#include <QStringList>

// Answers the program's questions from a script and records what was asked.
class FakePrompts : public UserPrompts
{
public:
    FakePrompts() { SetPrompts(this); }
    ~FakePrompts() override { SetPrompts(nullptr); }

    QList<SaveAnswer> saveAnswers;     // taken in order; Cancel when used up
    QStringList savePaths;             // Save As answers in order; "" = cancel
    bool confirmAnswer = true;

    QStringList asked;                 // texts of the save prompts and confirmations
    QList<bool> offeredAll;            // per save prompt: Yes to All / No to All shown
    int saveDialogs = 0;

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
    FileChoice AskSaveFileName(const QString &) override
    {
        ++saveDialogs;
        return {savePaths.isEmpty() ? QString() : savePaths.takeFirst(), 1};
    }
};
