#pragma once

#include <QApplication>
#include <QIcon>

// The program's icon, also worn by the table windows.
QIcon ApplicationIcon();

// The application object: every error that escapes an event handler reaches
// the application-wide error report instead of ending the program.
class TOstrelApplication : public QApplication
{
public:
    TOstrelApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
