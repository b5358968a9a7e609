#pragma once

#include <optional>

#include <QString>

class QFileDialog;
class QWidget;

// Every question the program asks the user goes through here, so tests can
// answer them; the application shows message boxes and file dialogs.
enum class SaveAnswer { None, Yes, No, Cancel, YesToAll, NoToAll };
// What to do with a save over a file another program has changed.
enum class ChangedFileAnswer { Overwrite, SaveAs, Cancel };

// The two safeguards a send offers beside its confirmation.
struct SendChoices
{
    bool backup = true;   // read and save the controller's table first
    bool verify = true;   // read the table back and compare after writing
};

class UserPrompts
{
public:
    virtual ~UserPrompts() = default;
    // A confirmation with OK and Cancel; true on OK.
    virtual bool Confirm(const QString &text) = 0;
    // The send confirmation: OK and Cancel (the default) with the two
    // safeguards shown as choices holds; they come back as the user left them.
    virtual bool ConfirmSend(const QString &text, SendChoices &choices) = 0;
    // The save prompt: Yes, No, Cancel and, when offerAll, Yes to All and No to All.
    virtual SaveAnswer AskSave(const QString &text, bool offerAll) = 0;
    // Before a save over a file changed on disk: Overwrite, Save As and Cancel,
    // which is the default and what Escape answers.
    virtual ChangedFileAnswer AskOverwriteChanged(const QString &text) = 0;
    // Before a send that changes the controller's table: Send and Cancel,
    // which is the default and what Escape answers; true on Send.
    virtual bool ConfirmChanges(const QString &text) = 0;
    // Runs a file dialog modally; true when the user confirmed it. The dialog
    // then holds the choice (files, filter) and keeps it for its next use.
    virtual bool RunFileDialog(QFileDialog &dialog) = 0;
    // A one-line answer under label, with OK and Cancel; none on Cancel.
    virtual std::optional<QString> AskText(const QString &title, const QString &label) = 0;
};

// The file dialogs' type filters, in order: their 1-based index is the file kind
// (spreadsheet CSV and Excel workbook come after the three older ones so theirs stay).
QString FileDialogFilters();

// The prompts in use; the application's message boxes unless a test set others.
UserPrompts &Prompts();
void SetPrompts(UserPrompts *prompts);   // nullptr restores the message boxes
void SetPromptParent(QWidget *parent);
