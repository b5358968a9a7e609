#pragma once

#include "common/user_prompts.h"
#include "documents/document_services.h"

#include <QList>
#include <QWidget>

class QCloseEvent;

// The base of every document window: file name, modified state, the caption
// built from them, untitled numbering and the close prompt.
class TChildForm : public QWidget
{
    Q_OBJECT
public:
    explicit TChildForm(const DocumentServices &services = {}, QWidget *parent = nullptr);

    virtual bool IsModified() const;
    virtual void SetModified(bool value);
    virtual void SetFileName(const QString &name);
    virtual void UpdateCaption();
    virtual void ClearTable();
    virtual void LoadFromFile(const QString &name, int format);
    virtual void SaveToFile(const QString &name, int format);

    bool Modified() const { return m_modified; }
    const QString &FileName() const { return m_fileName; }
    int UntitledNumber() const { return m_untitledNumber; }

    // Asks to save unsaved work; raises an error to stop the close (empty
    // message: the user cancelled).
    void FormCloseQuery();

    // Closes every window, sharing one answer across their save prompts; true
    // when it went through all of them. A cancel or failed save raises.
    static bool CloseAllChildren(const QList<TChildForm *> &children);

    // The caption text given to a window that has no file name: the locale
    // table's "untitled" formatted with the number ("untitled" without one).
    static QString UntitledCaption(int number);

    // The services the hosting window handed over at creation. The close
    // prompt of an untitled window runs its Save As dialog; without one such a
    // close is abandoned.
    const DocumentServices &services() const { return m_services; }

Q_SIGNALS:
    void stateChanged();   // modified state or caption changed

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    const DocumentServices m_services;
    bool m_modified = false;
    QString m_fileName;
    int m_untitledNumber = 0;
    bool m_closeApproved = false;

    static int UntitledCounter;
    static int ClosingModifiedCount;
    static SaveAnswer CloseAnswer;
};
