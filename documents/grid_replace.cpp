#include "documents/grid_replace.h"

#include "common/codepage.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "documents/table_image.h"

namespace {

bool InScope(const ReplaceOptions &options, int col, int row)
{
    switch (options.scope) {
    case ReplaceScope::Table: return true;
    case ReplaceScope::ConvStrings: return col == ConvStrColumn;
    case ReplaceScope::Barcodes: return col == BarcodeColumn;
    case ReplaceScope::Selection: break;
    }
    const GridRect &sel = options.selection;
    return col >= sel.left && col <= sel.right && row >= sel.top && row <= sel.bottom;
}

}   // namespace

CellReplacer::CellReplacer(const QString &findText, const QString &replacement, const ReplaceOptions &options)
    : m_find(findText), m_replacement(replacement), m_options(options)
{
    if (!options.regularExpression)
        return;
    const QString pattern = options.wholeCell
                                ? QRegularExpression::anchoredPattern(QStringLiteral("(?:%1)").arg(findText))
                                : findText;
    m_pattern.setPattern(pattern);
    m_pattern.setPatternOptions(options.matchCase ? QRegularExpression::NoPatternOption
                                                  : QRegularExpression::CaseInsensitiveOption);
    if (!m_pattern.isValid())
        throw OstrelError(QString::fromUtf8(Msg::BadRegularExpression)
                              .arg(findText, m_pattern.errorString())
                              .arg(m_pattern.patternErrorOffset()));
}

bool CellReplacer::matches(const QString &text) const
{
    if (m_options.regularExpression)
        return m_pattern.match(text).hasMatch();
    const Qt::CaseSensitivity cs = m_options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (m_options.wholeCell)
        return text.compare(m_find, cs) == 0;
    return !m_find.isEmpty() && text.contains(m_find, cs);
}

QString CellReplacer::replaced(const QString &text) const
{
    if (!matches(text))
        return text;
    QString result = text;
    if (m_options.regularExpression)
        return result.replace(m_pattern, m_replacement);
    if (m_options.wholeCell)
        return m_replacement;
    return result.replace(m_find, m_replacement, m_options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

QList<GridCell> ReplaceScopeCells(const StringGrid &grid, const ReplaceOptions &options)
{
    QList<GridCell> cells;
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
        for (int col = grid.fixedCols(); col < grid.colCount(); ++col)
            if (InScope(options, col, row))
                cells.append({col, row});
    return cells;
}

std::optional<GridCell> FindNextMatch(const StringGrid &grid, const CellReplacer &replacer, GridCell from)
{
    const QList<GridCell> cells = ReplaceScopeCells(grid, replacer.options());
    // The first cell in scope after from; from itself (or the first cell, when
    // from lies before them all) comes last.
    const auto after = std::find_if(cells.cbegin(), cells.cend(), [from](const GridCell &c) {
        return c.row > from.row || (c.row == from.row && c.col > from.col);
    });
    const qsizetype start = after - cells.cbegin();
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const GridCell cell = cells[(start + i) % cells.size()];
        const QByteArray &bytes = grid.cell(cell.col, cell.row);
        if (DecodesCleanly(bytes) && replacer.matches(DecodeCp932(bytes)))
            return cell;
    }
    return std::nullopt;
}
