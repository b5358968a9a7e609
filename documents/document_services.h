#pragma once

#include <QString>

struct SendChoices;
class QUndoGroup;
class TFileDialog;
class TransferLauncher;

// What a document window borrows from the window that hosts it, handed over
// when the window is created.
struct DocumentServices
{
    TransferLauncher *transfer = nullptr;   // runs transfers on the selected port, with progress
    TFileDialog *saveAsDialog = nullptr;   // run by the close prompt of an untitled window
    SendChoices *sendChoices = nullptr;    // the send's safeguards as the user last left them
    QString backupFolder;                  // where a send backs up the controller's table
    QUndoGroup *undoGroup = nullptr;       // the main window's Undo and Redo follow the window's history
    int *convStrWidth = nullptr;           // the conversion-string column's width the user last set; 0: none
};
