#pragma once

#include "documents/string_grid.h"
#include "documents/table_image.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

// What a table window holds besides its widgets: the grid, the table image and
// the remembered file kind, with the table's conversions, loads and saves.
// Loads and saves raise OstrelError and never touch a file name or modified
// state (the window does); a failed one changes nothing in the document.
class TableDocument
{
public:
    explicit TableDocument(const QByteArray &convStrHeader = "conv str",
                           const QByteArray &barCodeHeader = "bar code");

    StringGrid &grid() { return m_grid; }
    const StringGrid &grid() const { return m_grid; }
    // Exactly TableImageSize bytes, allocated once and rewritten in place.
    QByteArray &image() { return m_image; }
    const QByteArray &image() const { return m_image; }

    bool imageStale() const { return m_imageStale; }
    void setImageStale(bool stale) { m_imageStale = stale; }
    int fileKind() const { return m_fileKind; }

    void Update();        // grid -> image
    void ImageToGrid();   // image -> grid
    void ClearTable();    // empty image and cells, numbers 1..512, header kept

    // format 2 = binary, 4 = spreadsheet CSV, anything else text; remembered as
    // FileKind (-1 when negative). A text load that leaves text out logs one warning.
    void LoadFromFile(const QString &fileName, int format);
    // Saves in format if it is >= 0 (and remembers it), else in FileKind.
    void SaveToFile(const QString &fileName, int format);
    // The same save into an open device (standard output, say); fileName is
    // only what messages and the log line name.
    void SaveToDevice(QIODevice &device, const QString &fileName, int format);

private:
    void keepImageSize();
    void loadText(const QString &fileName, bool sheet);
    void loadBinary(const QString &fileName);
    void save(const QString &fileName, int format,
              const std::function<void(const std::function<void(QIODevice &)> &)> &writeFile);

    StringGrid m_grid;
    QByteArray m_image;
    bool m_imageStale = false;
    int m_fileKind = 0;
};
