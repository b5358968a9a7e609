#include "documents/table_document.h"

#include "common/codepage.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"
#include "documents/grid_fill.h"
#include "documents/sheet_csv.h"
#include "documents/sheet_xlsx.h"
#include "documents/table_files.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QIODevice>
#include <cstring>
#include <optional>

namespace {

// The smallest area holding every cell whose text differs between two lists
// of the same grid size; none when none does.
std::optional<GridRect> ChangedArea(const QList<QByteArray> &before, const QList<QByteArray> &after, int cols)
{
    if (before.constData() == after.constData())
        return std::nullopt;   // still the same list: nothing was written
    std::optional<GridRect> area;
    for (qsizetype i = 0; i < after.size(); ++i) {
        if (before[i] == after[i])
            continue;
        const int col = int(i % cols), row = int(i / cols);
        if (!area)
            area = GridRect{col, row, col, row};
        area->left = std::min(area->left, col);
        area->right = std::max(area->right, col);
        area->bottom = row;
    }
    return area;
}

void logWarnings(const LoadWarnings &warnings, const QString &fileName)
{
    for (const QString &line : warnings.lines(fileName))
        zered::LogText(zered::clWarning, line);
}

} // namespace

TableDocument::TableDocument(const QByteArray &convStrHeader, const QByteArray &barCodeHeader, QObject *parent)
    : QObject(parent), m_grid(3, TableRowCount + 1), m_image(TableImageSize, '\xFF')
{
    m_grid.setCell(NumberColumn, 0, "#");
    m_grid.setCell(ConvStrColumn, 0, convStrHeader);
    m_grid.setCell(BarcodeColumn, 0, barCodeHeader);
    for (int row = 1; row <= TableRowCount; ++row)
        m_grid.setCell(NumberColumn, row, RowNumberText(row));
}

void TableDocument::setFileName(const QString &name)
{
    if (name == m_fileName)
        return;
    m_fileName = name;
    Q_EMIT fileNameChanged(m_fileName);
}

bool TableDocument::isModified() const
{
    return m_history && !m_history->IsClean();
}

void TableDocument::setModified(bool modified)
{
    if (modified)
        m_imageStale = true;
    if (!m_history)
        return;
    if (modified)
        m_history->ResetClean();
    else
        m_history->SetClean();
}

void TableDocument::setHistory(TableHistory *history)
{
    history->setParent(this);
    m_history = history;
    connect(history, &TableHistory::cleanChanged, this, [this](bool clean) { Q_EMIT modifiedChanged(!clean); });
}

void TableDocument::setCell(int col, int row, const QByteArray &text)
{
    if (m_grid.cell(col, row) == text)
        return;
    m_grid.setCell(col, row, text);
    if (m_grid.cell(col, row) == text)   // a cell outside the grid takes nothing
        Q_EMIT cellsChanged({col, row, col, row});
}

void TableDocument::setSelection(const GridRect &selection)
{
    Apply([&] { m_grid.setSelection(selection); });
}

void TableDocument::setCurrent(int col, int row)
{
    Apply([&] { m_grid.setCurrent(col, row); });
}

void TableDocument::MoveCursor(int col, int row)
{
    Apply([&] {
        m_grid.setCurrent(col, row);
        m_grid.setSelection({col, row, col, row});
    });
}

void TableDocument::SelectAll()
{
    Apply([this] { GridSelectAll(m_grid); });
}

void TableDocument::keepImageSize()
{
    // image() hands out the buffer itself; one put back at another size must not
    // be read or written past its end.
    if (m_image.size() != TableImageSize)
        m_image.resize(TableImageSize, '\xFF');
}

void TableDocument::Update()
{
    keepImageSize();
    EncodeTableImage(m_grid, m_image.data());
    m_imageStale = false;
}

QByteArray TableDocument::CurrentImage() const
{
    if (!m_imageStale)
        return m_image;
    QByteArray image = m_image;
    image.resize(TableImageSize, '\xFF');
    EncodeTableImage(m_grid, image.data());
    return image;
}

void TableDocument::decodeImage()
{
    keepImageSize();
    DecodeTableImage(m_image.constData(), m_grid);
    m_imageStale = false;
}

void TableDocument::ImageToGrid()
{
    Apply([this] { decodeImage(); });
}

void TableDocument::clearCells()
{
    keepImageSize();
    std::memset(m_image.data(), 0xFF, TableImageSize);
    clearTexts();
    m_imageStale = false;
}

void TableDocument::clearTexts()
{
    for (int row = 1; row <= TableRowCount; ++row) {
        m_grid.setCell(NumberColumn, row, RowNumberText(row));
        m_grid.setCell(ConvStrColumn, row, QByteArray());
        m_grid.setCell(BarcodeColumn, row, QByteArray());
    }
}

void TableDocument::ClearTable()
{
    Apply([this] { clearCells(); });
}

void TableDocument::LoadFromFile(const QString &fileName, int format)
{
    // Taken before the read: a change while it reads shows as a change later.
    const FileStamp stamp = FileStamp::Of(fileName);
    Apply([&] { read(fileName, format); });
    // Only a load that went through changes the kind a later save uses.
    m_fileKind = format < 0 ? -1 : format;
    m_fileStamp = stamp;
    if (m_history)
        m_history->Clear();
    setFileName(fileName);
}

void TableDocument::Reload()
{
    const FileStamp stamp = FileStamp::Of(m_fileName);
    // A text file fills only the rows it has lines for; the rest must not keep the old texts.
    Change(EditStep::Reload, [this] {
        clearTexts();
        read(m_fileName, m_fileKind);
    });
    if (m_fileKind == FileKindBinary)
        m_imageStale = false;   // the image is the file's
    m_fileStamp = stamp;
    setModified(false);
}

bool TableDocument::FileChangedOnDisk() const
{
    return !m_fileName.isEmpty() && FileStamp::Of(m_fileName).ChangedSince(m_fileStamp);
}

void TableDocument::read(const QString &fileName, int format)
{
    if (format == FileKindBinary)
        readBinary(fileName);
    else if (format == FileKindXlsx)
        readWorkbook(fileName);
    else
        readText(fileName, format == FileKindSheet);
}

void TableDocument::readText(const QString &fileName, bool sheet)
{
    QElapsedTimer timer;
    timer.start();
    QByteArray text = ReadTextFile(fileName);
    LoadWarnings warnings;
    if (sheet) {
        warnings = ParseSheetTable(std::move(text), m_grid, fileName);
    } else {
        const QList<QByteArray> lines = SplitTextLines(text);
        if (lines.isEmpty())
            throw OstrelError(Msg::CsvEmpty);
        LoadWarnings nul;
        NoteNulByte(text, nul);
        text.clear();   // the lines hold it now: a line of megabytes is not held twice
        warnings = ParseTextTable(lines, m_grid);
        warnings.nul = nul.nul;
    }
    m_imageStale = true;
    zered::LogPrint(zered::clBlack, Msg::LoadFrom, qUtf8Printable(fileName), int(timer.elapsed()));
    logWarnings(warnings, fileName);
}

void TableDocument::readWorkbook(const QString &fileName)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray bytes = ReadFileHead(fileName, MaxWorkbookBytes + 1);
    if (bytes.size() > MaxWorkbookBytes)
        throw OstrelError(QString::fromUtf8(Msg::WorkbookTooLong).arg(fileName).arg(MaxWorkbookBytes));
    const LoadWarnings warnings = ParseXlsxTable(bytes, m_grid, fileName);
    m_imageStale = true;
    zered::LogPrint(zered::clBlack, Msg::LoadFrom, qUtf8Printable(fileName), int(timer.elapsed()));
    logWarnings(warnings, fileName);
}

void TableDocument::readBinary(const QString &fileName)
{
    // Read beside the image, so a short file leaves it as it was; one byte
    // more shows whether the file is longer than an image.
    const QByteArray bytes = ReadFileHead(fileName, TableImageSize + 1);
    if (bytes.size() < TableImageSize)
        throw OstrelError(Msg::SizeMismatched);
    LoadWarnings warnings;
    if (bytes.size() > TableImageSize)
        warnings.imageBytes = QFileInfo(fileName).size();
    keepImageSize();
    std::memcpy(m_image.data(), bytes.constData(), TableImageSize);
    decodeImage();
    logWarnings(warnings, fileName);
}

void TableDocument::SaveToFile(const QString &fileName, int format)
{
    const QByteArray written = save(fileName, format, [&](const std::function<void(QIODevice &)> &write) {
        WriteFileSafely(fileName, write);
    });
    m_fileStamp = FileStamp::Written(fileName, written);
    setFileName(fileName);
    setModified(false);
}

void TableDocument::SaveToDevice(QIODevice &device, const QString &fileName, int format)
{
    save(fileName, format, [&](const std::function<void(QIODevice &)> &write) { write(device); });
}

QByteArray TableDocument::save(const QString &fileName, int format,
                               const std::function<void(const std::function<void(QIODevice &)> &)> &writeFile)
{
    QElapsedTimer timer;
    timer.start();
    const int kind = format >= 0 ? format : m_fileKind;
    // The document changes only once the bytes are written.
    QByteArray bytes;
    if (kind == FileKindBinary) {
        bytes = QByteArray(TableImageSize, Qt::Uninitialized);
        EncodeTableImage(m_grid, bytes.data());
        writeFile([&](QIODevice &device) {
            if (!WriteAll(device, bytes))
                throw OstrelError(Msg::SizeMismatched);
        });
        keepImageSize();
        std::memcpy(m_image.data(), bytes.constData(), TableImageSize);
        m_imageStale = false;
    } else {
        bytes = kind == FileKindSheet  ? FormatSheetTable(m_grid, fileName)
                : kind == FileKindXlsx ? FormatXlsxTable(m_grid, fileName)
                                       : FormatTextTable(m_grid, fileName);
        writeFile([&](QIODevice &device) {
            if (!WriteAll(device, bytes))
                throw OstrelError(QString::fromUtf8(Msg::CannotWriteFile).arg(fileName, device.errorString()));
        });
        Apply([this] {
            for (int row = 1; row <= TableRowCount; ++row)
                m_grid.setCell(NumberColumn, row, RowNumberText(row));
        });
    }
    if (format >= 0)
        m_fileKind = format;
    if (kind != FileKindBinary)
        zered::LogPrint(zered::clBlack, Msg::SaveToTimed, qUtf8Printable(fileName), int(timer.elapsed()));
    return bytes;
}

// Commands

GridPlace TableDocument::Place() const
{
    return {m_grid.selection(), {m_grid.col(), m_grid.row()}};
}

bool TableDocument::Apply(const std::function<void()> &change)
{
    const QList<QByteArray> before = m_grid.cells();
    const GridPlace placeBefore = Place();
    const int rows = m_grid.rowCount();
    try {
        change();
        m_grid.setRowCount(rows);
    } catch (...) {
        m_grid.setRowCount(rows);
        m_grid.setCells(before);
        m_grid.setSelection(placeBefore.selection);
        m_grid.setCurrent(placeBefore.cursor.col, placeBefore.cursor.row);
        throw;
    }
    const std::optional<GridRect> area = ChangedArea(before, m_grid.cells(), m_grid.colCount());
    if (area)
        Q_EMIT cellsChanged(*area);
    if (Place() != placeBefore)
        Q_EMIT selectionChanged();
    return area.has_value();
}

void TableDocument::Change(EditStep kind, const std::function<void()> &change)
{
    if (m_locked)
        throw OstrelError(Msg::TableInTransfer);
    const QList<QByteArray> before = m_grid.cells();
    const GridPlace placeBefore = Place();
    if (!Apply(change))
        return;
    m_imageStale = true;
    if (m_history)
        m_history->Record(kind, before, placeBefore, Place());
}

QList<QByteArray> TableDocument::ExchangeCells(const QList<QByteArray> &cells, const GridPlace &place)
{
    QList<QByteArray> replaced = m_grid.cells();
    Apply([&] {
        m_grid.setCells(cells);
        m_grid.setSelection(place.selection);
        m_grid.setCurrent(place.cursor.col, place.cursor.row);
    });
    m_imageStale = true;
    return replaced;
}

QByteArray TableDocument::CellBytes(int col, int row, const QString &text) const
{
    const QString column = DecodeCp932(m_grid.cell(col, 0));
    for (const QChar c : text)
        if (c == u'\r' || c == u'\n' || c == u'\t' || c == QChar(0))
            throw OstrelError(QString::fromUtf8(Msg::CellControlCharacter).arg(row).arg(column));
    const Cp932Encoding encoded = EncodeCp932Exact(text);
    if (encoded.unencodableAt >= 0) {
        const char32_t code = QStringView(text).mid(encoded.unencodableAt).toUcs4().value(0);
        throw OstrelError(QString::fromUtf8(Msg::CannotStoreCharacter)
                              .arg(QString::fromUcs4(&code, 1),
                                   QString::number(uint(code), 16).toUpper().rightJustified(4, u'0'))
                              .arg(row)
                              .arg(column));
    }
    return encoded.bytes;
}

void TableDocument::EditCell(int col, int row, const QByteArray &text)
{
    Change(EditStep::Typing, [&] { m_grid.setCell(col, row, text); });
}

GridBlock TableDocument::CutSelection()
{
    const GridBlock block = GridSelectionBlock(m_grid);
    Change(EditStep::Cut, [this] {
        const GridRect sel = m_grid.selection();
        for (int r = sel.top; r <= sel.bottom; ++r)
            for (int c = sel.left; c <= sel.right; ++c)
                m_grid.setCell(c, r, QByteArray());
    });
    return block;
}

void TableDocument::PasteBlock(const GridBlock &block)
{
    Change(EditStep::Paste, [&] {
        m_grid.setSelection(PastesAtCell(m_grid) ? GridPasteAtCell(m_grid, block)
                                                 : GridPasteIntoSelection(m_grid, block));
    });
}

void TableDocument::PasteText(const QString &text)
{
    // Only what reaches the grid is stored, so only that must be storable.
    const QList<QStringList> rows = ParseClipboardText(text);
    const GridRect sel = m_grid.selection();
    GridBlock block;
    for (qsizetype r = 0; r < rows.size() && sel.top + r < m_grid.rowCount(); ++r) {
        QList<QByteArray> cells;
        for (qsizetype k = 0; k < rows[r].size() && sel.left + k < m_grid.colCount(); ++k)
            cells.append(CellBytes(sel.left + int(k), sel.top + int(r), rows[r][k]));
        block.append(cells);
    }
    PasteBlock(block);
}

int TableDocument::SelectedRowCount() const
{
    const GridRect sel = m_grid.selection();
    return sel.bottom - sel.top + 1;
}

void TableDocument::DeleteSelectedRows()
{
    Change(EditStep::DeleteRows, [this] { GridDeleteRow(m_grid, m_grid.selection().top, SelectedRowCount()); });
}

void TableDocument::InsertSelectedRows()
{
    Change(EditStep::InsertRows, [this] { GridInsertRow(m_grid, m_grid.selection().top, SelectedRowCount()); });
}

QList<int> TableDocument::RowsLostByInsert() const
{
    QList<int> lost;
    const int first = TableRowCount - std::min(SelectedRowCount(), TableRowCount - m_grid.selection().top + 1) + 1;
    for (int row = first; row <= TableRowCount; ++row)
        if (!m_grid.cell(ConvStrColumn, row).isEmpty() || !m_grid.cell(BarcodeColumn, row).isEmpty())
            lost.append(row);
    return lost;
}

void TableDocument::SortByColumn(int column, RowNumbers numbers)
{
    if (column == m_sortColumn)
        m_sortDirection = -m_sortDirection;
    else
        m_sortColumn = column;
    Change(EditStep::Sort, [&] {
        QList<QByteArray> places;
        for (int row = 0; row < m_grid.rowCount(); ++row)
            places.append(m_grid.cell(NumberColumn, row));
        GridSortByColumn(m_grid, m_sortColumn, GridSortComparisonFor(m_sortColumn, m_sortDirection));
        if (numbers == RowNumbers::Stay)
            for (int row = 0; row < m_grid.rowCount(); ++row)
                m_grid.setCell(NumberColumn, row, places[row]);
    });
    zered::LogPrint(zered::clBlack, Msg::Sorted, m_sortColumn, m_sortDirection > 0 ? "asc" : "desc");
}

void TableDocument::Clear()
{
    Change(EditStep::Clear, [this] { clearCells(); });
}

void TableDocument::MoveRow(int from, int to)
{
    Change(EditStep::MoveRow, [&] { GridMoveRow(m_grid, from, to); });
    zered::LogPrint(zered::clBlack, Msg::RowMoved, from, to);
}

void TableDocument::ShowReceivedImage()
{
    Change(EditStep::Receive, [this] { decodeImage(); });
    // The image is what the controller holds, whether or not a text changed.
    m_imageStale = false;
}

void TableDocument::FillDown()
{
    Change(EditStep::FillDown, [this] { GridFillDown(m_grid); });
}

void TableDocument::FillSeries()
{
    Change(EditStep::FillSeries, [this] { GridFillSeries(m_grid); });
}

QList<CellReplacement> TableDocument::PlanReplace(const CellReplacer &replacer, std::optional<GridCell> cell) const
{
    QList<CellReplacement> plan;
    const QList<GridCell> cells = cell ? QList<GridCell>{*cell} : ReplaceScopeCells(m_grid, replacer.options());
    for (const GridCell &c : cells) {
        const QByteArray &before = m_grid.cell(c.col, c.row);
        // Bytes that do not decode would be rewritten unseen: such a cell is left alone.
        if (!DecodesCleanly(before))
            continue;
        const QString text = DecodeCp932(before);
        if (!replacer.matches(text))
            continue;
        const QByteArray after = CellBytes(c.col, c.row, replacer.replaced(text));
        if (after != before)
            plan.append({c, before, after});
    }
    return plan;
}

void TableDocument::ReplaceCells(const QList<CellReplacement> &replacements)
{
    Change(EditStep::Replace, [&] {
        for (const CellReplacement &r : replacements)
            m_grid.setCell(r.cell.col, r.cell.row, r.after);
    });
}
