#pragma once

#include <QString>
#include <QStringList>

// The comma text: the one-line list format in which a later start hands its
// command-line paths to the running instance.

// Joins items with "," and no blanks. An item holding a character with code up
// to 32 (blank or control), a '"' or a ',' is written in double quotes with
// each inner quote doubled; every other item, the empty one included, is
// written as it stands.
QString CommaTextJoin(const QStringList &items);

// Reads a comma text: leading characters 1..32 are skipped; a quoted item runs
// to its closing quote ("" inside stands for one quote; an unclosed quote runs
// to the end); any other item runs up to the next comma or character <= 32;
// after an item, characters 1..32, one comma and again characters 1..32 are
// skipped; a comma that is the very last character adds one empty item.
// A U+0000 character ends the text.
QStringList CommaTextSplit(const QString &text);
