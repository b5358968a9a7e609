#pragma once

#include "documents/string_grid.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <optional>

// Which cells a replace looks at: the texts of every row, those of the block
// selected when it began, or one column. The row numbers and titles never.
enum class ReplaceScope { Table, Selection, ConvStrings, Barcodes };

struct ReplaceOptions
{
    bool matchCase = false;
    bool wholeCell = false;   // the whole text must match, and is replaced whole
    bool regularExpression = false;   // QRegularExpression; \1..\99 in the replacement
    ReplaceScope scope = ReplaceScope::Table;
    GridRect selection;   // the block for ReplaceScope::Selection
};

// What to look for and what to put there, on decoded cell texts. Raises
// OstrelError naming the pattern and the fault when a regular expression is
// not valid. An empty text matches only an empty cell, and that only with wholeCell.
class CellReplacer
{
public:
    CellReplacer(const QString &findText, const QString &replacement, const ReplaceOptions &options);

    bool matches(const QString &text) const;
    // The text with every match replaced (the whole text with wholeCell).
    QString replaced(const QString &text) const;
    const ReplaceOptions &options() const { return m_options; }

private:
    QString m_find, m_replacement;
    ReplaceOptions m_options;
    QRegularExpression m_pattern;   // only for regular expressions
};

// The cells in scope, in reading order (row by row, left to right).
QList<GridCell> ReplaceScopeCells(const StringGrid &grid, const ReplaceOptions &options);

// The next cell in scope after from in reading order whose text matches,
// wrapping round; from itself is looked at last. None when no cell matches.
// Cells whose bytes do not decode as Shift-JIS never match: a replace would
// rewrite bytes it cannot show.
std::optional<GridCell> FindNextMatch(const StringGrid &grid, const CellReplacer &replacer, GridCell from);

// One cell's text before and after a replace, as bytes.
struct CellReplacement
{
    GridCell cell;
    QByteArray before, after;
};
