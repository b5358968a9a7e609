#include "documents/table_document.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"
#include "documents/sheet_csv.h"
#include "documents/table_files.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <cstring>

TableDocument::TableDocument(const QByteArray &convStrHeader, const QByteArray &barCodeHeader)
    : m_grid(3, TableRowCount + 1), m_image(TableImageSize, '\xFF')
{
    m_grid.setCell(NumberColumn, 0, "#");
    m_grid.setCell(ConvStrColumn, 0, convStrHeader);
    m_grid.setCell(BarcodeColumn, 0, barCodeHeader);
    for (int row = 1; row <= TableRowCount; ++row)
        m_grid.setCell(NumberColumn, row, RowNumberText(row));
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

void TableDocument::ImageToGrid()
{
    keepImageSize();
    DecodeTableImage(m_image.constData(), m_grid);
    m_imageStale = false;
}

void TableDocument::ClearTable()
{
    keepImageSize();
    std::memset(m_image.data(), 0xFF, TableImageSize);
    m_grid.beginUpdate();
    for (int row = 1; row <= TableRowCount; ++row) {
        m_grid.setCell(NumberColumn, row, RowNumberText(row));
        m_grid.setCell(ConvStrColumn, row, QByteArray());
        m_grid.setCell(BarcodeColumn, row, QByteArray());
    }
    m_grid.endUpdate();
    m_imageStale = false;
}

void TableDocument::LoadFromFile(const QString &fileName, int format)
{
    if (format == FileKindBinary)
        loadBinary(fileName);
    else
        loadText(fileName, format == FileKindSheet);
    // Only a load that went through changes the kind a later save uses.
    m_fileKind = format < 0 ? -1 : format;
}

void TableDocument::loadText(const QString &fileName, bool sheet)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray text = ReadTextFile(fileName);
    LeftOutText leftOut;
    if (sheet) {
        leftOut = ParseSheetTable(text, m_grid, fileName);
    } else {
        const QList<QByteArray> lines = SplitTextLines(text);
        if (lines.isEmpty())
            throw OstrelError(Msg::CsvEmpty);
        leftOut = ParseTextTable(lines, m_grid);
    }
    m_imageStale = true;
    zered::LogPrint(zered::clBlack, Msg::LoadFrom, qUtf8Printable(fileName), int(timer.elapsed()));
    if (leftOut.records > 0)
        zered::LogText(zered::clWarning, leftOut.warning(fileName));
}

void TableDocument::loadBinary(const QString &fileName)
{
    // Read beside the image, so a short file leaves it as it was.
    const QByteArray bytes = ReadFileHead(fileName, TableImageSize);
    if (bytes.size() < TableImageSize)
        throw OstrelError(Msg::SizeMismatched);
    keepImageSize();
    std::memcpy(m_image.data(), bytes.constData(), TableImageSize);
    ImageToGrid();
}

void TableDocument::SaveToFile(const QString &fileName, int format)
{
    save(fileName, format, [&](const std::function<void(QIODevice &)> &write) {
        WriteFileSafely(fileName, write);
    });
}

void TableDocument::SaveToDevice(QIODevice &device, const QString &fileName, int format)
{
    save(fileName, format, [&](const std::function<void(QIODevice &)> &write) { write(device); });
}

void TableDocument::save(const QString &fileName, int format,
                         const std::function<void(const std::function<void(QIODevice &)> &)> &writeFile)
{
    QElapsedTimer timer;
    timer.start();
    const int kind = format >= 0 ? format : m_fileKind;
    // The document changes only once the bytes are written.
    if (kind == FileKindBinary) {
        QByteArray bytes(TableImageSize, Qt::Uninitialized);
        EncodeTableImage(m_grid, bytes.data());
        writeFile([&](QIODevice &device) {
            if (!WriteAll(device, bytes))
                throw OstrelError(Msg::SizeMismatched);
        });
        keepImageSize();
        std::memcpy(m_image.data(), bytes.constData(), TableImageSize);
        m_imageStale = false;
    } else {
        const QByteArray text =
            kind == FileKindSheet ? FormatSheetTable(m_grid, fileName) : FormatTextTable(m_grid, fileName);
        writeFile([&](QIODevice &device) {
            if (!WriteAll(device, text))
                throw OstrelError(QString::fromUtf8(Msg::CannotWriteFile).arg(fileName, device.errorString()));
        });
        m_grid.beginUpdate();
        for (int row = 1; row <= TableRowCount; ++row)
            m_grid.setCell(NumberColumn, row, RowNumberText(row));
        m_grid.endUpdate();
    }
    if (format >= 0)
        m_fileKind = format;
    if (kind != FileKindBinary)
        zered::LogPrint(zered::clBlack, Msg::SaveToTimed, qUtf8Printable(fileName), int(timer.elapsed()));
}
