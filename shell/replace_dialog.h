#pragma once

#include "documents/grid_replace.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

// The modeless replace dialog: the text to find (it has the focus when the
// dialog opens), its replacement, Match case, Whole cell, Regular expression
// and the scope; Find Next, Replace and Replace All ask the active table to
// take a step. Its texts and options last as long as the main window.
class TReplaceDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TReplaceDialog(QWidget *parent = nullptr);

    QString findText() const;
    QString replacement() const;
    ReplaceOptions options() const;
    // Shows it with the find text selected and focused.
    void Open();

Q_SIGNALS:
    void findNext();
    void replaceOne();
    void replaceAll();

private:
    QLineEdit *m_find, *m_replacement;
    QCheckBox *m_matchCase, *m_wholeCell, *m_regularExpression;
    QComboBox *m_scope;
};
