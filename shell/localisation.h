#pragma once

#include "common/zered_lang.h"

#include <QTranslator>
#include <memory>

class QWidget;

// The localisation for the main window's life: the locale table chosen by the
// user's language, reached process-wide through ZeredLang and by the grid
// hints, and Qt's own translation of its dialogs and buttons when installed.
class MainLocalisation
{
public:
    // Loads the table ("StringTable" and "??") and localises mainWindow.
    explicit MainLocalisation(QWidget *mainWindow);
    ~MainLocalisation();
    MainLocalisation(const MainLocalisation &) = delete;
    MainLocalisation &operator=(const MainLocalisation &) = delete;

private:
    TZeredLang m_lang;
    QTranslator m_qtTranslator;
    bool m_qtTranslationInstalled = false;
};
