#pragma once

#include <QLocale>

// Sets the default locale (the language the locale table follows) for one
// test and restores the system's afterwards.
struct DefaultLocale
{
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(QLocale::system()); }
};
