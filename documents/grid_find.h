#pragma once

#include "documents/string_grid.h"

#include <QString>

// How a search step runs: its direction, whether it starts next to the
// current cell, and how a cell matches.
struct FindOptions
{
    bool down = true;
    bool findNext = false;
    bool matchCase = false;
    bool wholeWord = false;
};

// One search step over every cell of the grid, headers included, from the
// current cell (or the one after it with findNext), wrapping around. Returns
// the first matching cell; raises "NOT FOUND[...]" when none matches.
// searchText receives the text searched for (lower-cased unless matchCase).
GridCell FindInGrid(const StringGrid &grid, const QString &text, const FindOptions &options, QString &searchText);
