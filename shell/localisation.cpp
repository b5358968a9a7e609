#include "shell/localisation.h"

#include "common/zered_locale.h"
#include "documents/grid_hints.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QWidget>

MainLocalisation::MainLocalisation(QWidget *mainWindow)
    : m_lang(QStringLiteral("StringTable"), QStringLiteral("??"))
{
    ZeredLang = &m_lang;
    SetTableTextLookup([](const QString &key) { return LocaleLookup(key, QString()); });
    // The file dialogs and message box buttons speak the same language as the tables.
    // A Windows build carries Qt's catalogues inside (its Qt installs none).
    if (m_qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || m_qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"), QStringLiteral(":/qt-translations")))
        m_qtTranslationInstalled = QCoreApplication::installTranslator(&m_qtTranslator);
    ApplyLocale(m_lang, mainWindow);
}

MainLocalisation::~MainLocalisation()
{
    if (m_qtTranslationInstalled)
        QCoreApplication::removeTranslator(&m_qtTranslator);
    SetTableTextLookup({});
    if (ZeredLang == &m_lang)
        ZeredLang = nullptr;
}
