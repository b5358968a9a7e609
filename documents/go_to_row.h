#pragma once

#include <QString>

class StringGrid;

// The last row holding a text in either column; the first row when none does.
int LastUsedRow(const StringGrid &grid);

// The row a "Go to row" answer names: a row number of the table, or "last"
// (in any letter case, or the interface's own word for it) for the last used
// row. Raises OstrelError naming the answer and the rows there are otherwise.
int GoToRowTarget(const StringGrid &grid, const QString &answer);
