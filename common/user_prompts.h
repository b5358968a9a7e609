#pragma once

#include <QString>

class QFileDialog;
class QWidget;

// Every question the program asks the user goes through here, so tests can
// answer them; the application shows message boxes and file dialogs.
enum class SaveAnswer { None, Yes, No, Cancel, YesToAll, NoToAll };

class UserPrompts
{
public:
    virtual ~UserPrompts() = default;
    // A confirmation with OK and Cancel; true on OK.
    virtual bool Confirm(const QString &text) = 0;
    // The save prompt: Yes, No, Cancel and, when offerAll, Yes to All and No to All.
    virtual SaveAnswer AskSave(const QString &text, bool offerAll) = 0;
    // Runs a file dialog modally; true when the user confirmed it. The dialog
    // then holds the choice (files, filter) and keeps it for its next use.
    virtual bool RunFileDialog(QFileDialog &dialog) = 0;
};

// The file dialogs' type filters, in order: their 1-based index is the file kind
// (the fourth, spreadsheet CSV, comes after the three older ones so theirs stay).
QString FileDialogFilters();

// The prompts in use; the application's message boxes unless a test set others.
UserPrompts &Prompts();
void SetPrompts(UserPrompts *prompts);   // nullptr restores the message boxes
void SetPromptParent(QWidget *parent);
