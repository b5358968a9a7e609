#pragma once

#include <QComboBox>

// The port selector: tells when its list is about to drop down, so the list
// of ports can be refreshed first.
class PortComboBox : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override
    {
        Q_EMIT aboutToDropDown();
        QComboBox::showPopup();
    }

Q_SIGNALS:
    void aboutToDropDown();
};
