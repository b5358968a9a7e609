#pragma once

#include <QStringList>

// The program's version strings, compiled in from the build's project
// version: "FileVersion", "LegalCopyright" and "Comments".
//
// Replaces each key of the list that has a string by key + "=" + value;
// keys without one stay as they are.
void ReadVersionStrings(QStringList &keys);

// The text after the first "=" of a ReadVersionStrings entry (empty without one).
QString VersionValue(const QString &entry);

// The names the editor and the command line tool both run under: the user's
// data folder (backups, the transfer journal) is named after them.
inline constexpr char OrganizationName[] = "Brenvik";
inline constexpr char ApplicationName[] = "KOV-Ostrel Manager";
