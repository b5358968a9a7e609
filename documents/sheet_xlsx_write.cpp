// Writing a table as an Excel workbook, through libxlsxwriter.
#include "documents/sheet_xlsx.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "documents/sheet_csv.h"
#include "documents/string_grid.h"
#include "documents/table_files.h"
#include "documents/table_image.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <algorithm>
#include <memory>
#include <xlsxwriter.h>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {

// A folder as a path that libxlsxwriter's narrow fopen() can open: the local
// 8-bit form where that holds the name, else on Windows its short (8.3) form;
// empty when neither names it.
QByteArray narrowFolder(const QString &folder)
{
    const QString native = QDir::toNativeSeparators(folder);
    const QByteArray encoded = QFile::encodeName(native);
    if (QFile::decodeName(encoded) == native)
        return encoded;
#ifdef Q_OS_WIN
    wchar_t shortName[MAX_PATH];
    const DWORD n = GetShortPathNameW(reinterpret_cast<const wchar_t *>(native.utf16()), shortName, MAX_PATH);
    const QString shortened = QString::fromWCharArray(shortName, int(n));
    if (n > 0 && n < MAX_PATH && QFile::decodeName(QFile::encodeName(shortened)) == shortened)
        return QFile::encodeName(shortened);
#endif
    return QByteArray();
}

// A new empty file with an ASCII name in folder, removed when it goes; its
// narrow path is empty when the folder cannot take it or fopen() cannot name it.
struct ScratchFile
{
    QTemporaryFile file;
    QByteArray narrowPath;
    QByteArray narrowDir;
    explicit ScratchFile(const QString &folder) : file(folder + QStringLiteral("/ostrel-xlsx-XXXXXX.tmp"))
    {
        narrowDir = narrowFolder(folder);
        if (narrowDir.isEmpty() || !file.open())
            return;
        file.close();   // libxlsxwriter opens it again itself
        narrowPath = narrowDir + QFile::encodeName(QDir::separator())
                     + QFile::encodeName(QFileInfo(file.fileName()).fileName());
    }
};

// Texts Excel reads as escaped characters ("_x0041_" is "A") keep their
// underscore escaped, so they come back as written.
QByteArray keepLiteralEscapes(const QByteArray &utf8)
{
    static const QRegularExpression escape(QStringLiteral("_(x[0-9A-Fa-f]{4}_)"));
    if (!utf8.contains("_x"))
        return utf8;
    return QString::fromUtf8(utf8).replace(escape, QStringLiteral("_x005F_\\1")).toUtf8();
}

}   // namespace

QByteArray FormatXlsxTable(const StringGrid &grid, const QString &fileName)
{
    // Every cell first, so a refused one leaves nothing behind.
    QList<QByteArray> cells[2];
    int lastRow = 0;
    int widths[2] = {8, 8};
    for (int row = 1; row <= TableRowCount; ++row)
        for (int column : {0, 1}) {
            const QByteArray &cell = grid.cell(column == 0 ? ConvStrColumn : BarcodeColumn, row);
            cells[column].append(keepLiteralEscapes(SheetFieldToUtf8(cell, fileName, row)));
            if (!cell.isEmpty())
                lastRow = row;
            // Shift-JIS takes a byte per narrow and two per wide character, as a sheet's column does.
            widths[column] = std::clamp(int(cell.size()) + 2, widths[column], 255);
        }

    // libxlsxwriter names its file with a narrow path: an ASCII name beside
    // the target, else in the temporary folder.
    const QString target = fileName == u"-" ? QDir::currentPath() : QFileInfo(fileName).absolutePath();
    auto scratch = std::make_unique<ScratchFile>(target);
    if (scratch->narrowPath.isEmpty())
        scratch = std::make_unique<ScratchFile>(QDir::tempPath());
    if (scratch->narrowPath.isEmpty())
        throw OstrelError(
            QString::fromUtf8(Msg::XlsxWriterFailed).arg(fileName, QStringLiteral("no folder for its temporary file")));

    lxw_workbook_options options{};
    options.tmpdir = scratch->narrowDir.data();
    lxw_workbook *workbook = workbook_new_opt(scratch->narrowPath.constData(), &options);
    if (!workbook)
        throw OstrelError(QString::fromUtf8(Msg::XlsxWriterFailed).arg(fileName, QStringLiteral("out of memory")));
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
    // Text cells, and a text column for whatever is typed into it later.
    lxw_format *text = workbook_add_format(workbook);
    format_set_num_format(text, "@");
    lxw_error error = LXW_NO_ERROR;
    auto note = [&error](lxw_error result) {
        if (error == LXW_NO_ERROR)
            error = result;
    };
    for (int column : {0, 1}) {
        note(worksheet_set_column(sheet, lxw_col_t(column), lxw_col_t(column), widths[column], text));
        for (int row = 1; row <= lastRow; ++row)
            if (const QByteArray &cell = cells[column][row - 1]; !cell.isEmpty())
                note(worksheet_write_string(sheet, lxw_row_t(row - 1), lxw_col_t(column), cell.constData(), text));
    }
    note(workbook_close(workbook));   // writes the file and frees the workbook
    if (error != LXW_NO_ERROR)
        throw OstrelError(
            QString::fromUtf8(Msg::XlsxWriterFailed).arg(fileName, QString::fromUtf8(lxw_strerror(error))));

    QFile written(scratch->file.fileName());
    if (!written.open(QIODevice::ReadOnly))
        throw OstrelError(QString::fromUtf8(Msg::CannotReadFile).arg(written.fileName(), written.errorString()));
    return written.readAll();
}
