#pragma once

#include "documents/grid_find.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

// The modeless find dialog: the text, Match case, Whole word and the
// direction. Its text and options last as long as the main window.
class TFindDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TFindDialog(QWidget *parent = nullptr);

    QString findText() const;
    void setFindText(const QString &text);
    // The options as the dialog shows them, with the remembered Find next flag.
    FindOptions options() const;
    void setOptions(const FindOptions &options);
    void setFindNext(bool on) { m_findNext = on; }

Q_SIGNALS:
    void find();   // the Find Next button

private:
    QLineEdit *m_text;
    QCheckBox *m_matchCase, *m_wholeWord;
    QRadioButton *m_up, *m_down;
    bool m_findNext = false;
};
