#pragma once

#include <QString>
#include <functional>

// The localised text of key: the installed lookup's, else the built-in English
// one. The English table holds none of the grid's hint keys, so they read empty.
QString TableText(const QString &key);
// Installed by the localisation once it is built; an empty function restores
// the built-in texts.
void SetTableTextLookup(std::function<QString(const QString &key)> lookup);

// The hint over grid cell (col, row); -1 stands for outside the cells. Over the
// header row: "TextGrid.RowHint0" and CR LF; over any cell, then, "TextGrid.ColHint"
// with the column number.
QString TextGridHint(int col, int row);
