#pragma once

#include <QComboBox>
#include <QLineEdit>

// The port selector: tells when its list is about to drop down, so the list
// of ports can be refreshed first.
class PortComboBox : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    // Sets the text and shows its start: a path longer than the box would
    // otherwise show its tail ("ev/pts/1").
    void setPortText(const QString &text)
    {
        setEditText(text);
        if (QLineEdit *edit = lineEdit())
            edit->setCursorPosition(0);
    }

    void showPopup() override
    {
        Q_EMIT aboutToDropDown();
        QComboBox::showPopup();
    }

Q_SIGNALS:
    void aboutToDropDown();
};
