#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <minizip/zip.h>
#include <utility>

// Workbooks made part by part, as a spreadsheet writes them, for the tests
// and benchmarks of the workbook reader.
using Parts = QList<std::pair<QByteArray, QByteArray>>;   // name, content

// The parts zipped with minizip into path; false when a step failed.
inline bool WriteZip(const QString &path, const Parts &parts)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool written = true;
    for (const auto &[name, content] : parts)
        written = written
                  && zipOpenNewFileInZip64(zip, name.constData(), nullptr, nullptr, 0, nullptr, 0, nullptr,
                                           Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0)
                         == ZIP_OK
                  && zipWriteInFileInZip(zip, content.constData(), unsigned(content.size())) == ZIP_OK
                  && zipCloseFileInZip(zip) == ZIP_OK;
    return zipClose(zip, nullptr) == ZIP_OK && written;
}

// The parts of a workbook whose first sheet holds rows and whose shared
// strings are strings; sheets names more sheets after it.
inline Parts WorkbookParts(const QByteArray &rows, const QByteArray &strings, int sheets = 1)
{
    constexpr char Main[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    QByteArray sheetList, relationships;
    for (int i = 1; i <= sheets; ++i) {
        const QByteArray n = QByteArray::number(i);
        sheetList += "<sheet name=\"S" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        relationships += "<Relationship Id=\"rId" + n
                         + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
                           "Target=\"worksheets/sheet"
                         + n + ".xml\"/>";
    }
    relationships += "<Relationship Id=\"rIdS\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                     "relationships/sharedStrings\" Target=\"/xl/sharedStrings.xml\"/>";
    Parts parts{
        {"xl/workbook.xml",
         QByteArray("<workbook xmlns=\"") + Main
             + "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>" + sheetList
             + "</sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" + relationships
             + "</Relationships>"},
        {"xl/sharedStrings.xml", QByteArray("<sst xmlns=\"") + Main + "\">" + strings + "</sst>"},
    };
    for (int i = 1; i <= sheets; ++i)
        parts.append({"xl/worksheets/sheet" + QByteArray::number(i) + ".xml",
                      QByteArray("<worksheet xmlns=\"") + Main + "\"><sheetData>" + (i == 1 ? rows : QByteArray())
                          + "</sheetData></worksheet>"});
    return parts;
}
