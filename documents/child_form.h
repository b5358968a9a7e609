#pragma once

#include "common/user_prompts.h"
#include "documents/document_services.h"
#include "documents/table_document.h"

#include <QList>
#include <QWidget>

class QCloseEvent;

// The base of every document window: it holds the window's TableDocument,
// whose file name and modified state make the caption, numbers untitled
// windows and asks to save unsaved work before the window closes.
class TChildForm : public QWidget
{
    Q_OBJECT
public:
    explicit TChildForm(const DocumentServices &services = {}, QWidget *parent = nullptr);

    TableDocument &document() { return m_document; }
    const TableDocument &document() const { return m_document; }

    // Unsaved work: the document is modified (a window may add its own).
    virtual bool IsModified() const;
    void SetModified(bool value) { m_document.setModified(value); }
    void SetFileName(const QString &name) { m_document.setFileName(name); }
    void UpdateCaption();
    // What the close prompt's Yes runs: the document saved under name in format.
    virtual void SaveToFile(const QString &name, int format) = 0;

    bool Modified() const { return m_document.isModified(); }
    const QString &FileName() const { return m_document.fileName(); }
    int UntitledNumber() const { return m_untitledNumber; }
    // The file's path, or the caption of a window without one (the journal names it so).
    QString DocumentName() const;

    // Asks to save unsaved work; raises an error to stop the close (empty
    // message: the user cancelled).
    void FormCloseQuery();

    // Closes every window, sharing one answer across their save prompts. A
    // cancel or failed save raises, leaving the windows not yet asked open.
    static void CloseAllChildren(const QList<TChildForm *> &children);

    // The caption text given to a window that has no file name: the locale
    // table's "untitled" formatted with the number ("untitled" without one).
    static QString UntitledCaption(int number);

    // The services the hosting window handed over at creation. The close
    // prompt of an untitled window runs its Save As dialog; without one such a
    // close is abandoned.
    const DocumentServices &services() const { return m_services; }

protected:
    void closeEvent(QCloseEvent *event) override;
    // Runs the hosting window's Save As dialog and saves under the name and in
    // the type chosen; a cancel (or no dialog) raises a silent cancel.
    void SaveUnderChosenName();

private:
    const DocumentServices m_services;
    TableDocument m_document;
    int m_untitledNumber = 0;
    bool m_closeApproved = false;

    static int UntitledCounter;
    static int ClosingModifiedCount;
    static SaveAnswer CloseAnswer;
};
