#pragma once

class QObject;
class TZeredLang;

// Applies the table's Caption, Hint, Items0... and Text lines to component and
// to everything it owns, depth first in creation order, each found by its
// objectName.
void ApplyLocale(const TZeredLang &lang, QObject *component);
// The same with the process-wide table; nothing happens without one.
void ApplyLocale(QObject *component);
