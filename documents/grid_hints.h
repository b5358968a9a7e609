#pragma once

#include <QString>
#include <QtGlobal>
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

class StringGrid;
// A text's length against its field, "23 / 60 bytes" in English.
QString ByteCountText(qsizetype bytes, int fieldLength);
// What the hint pane shows of the cursor cell: its column's title, its row
// and its byte count ("conv str, row 12: 23 / 60 bytes"); empty outside the
// two text columns. With bytes, the count of a text being typed into it.
QString CursorByteCount(const StringGrid &grid);
QString CursorByteCount(const StringGrid &grid, qsizetype bytes);
