#pragma once

#include "documents/child_form.h"
#include "documents/table_document.h"

class QLabel;
class TextGridView;
class TableGridModel;

// The barcode table window: the grid the operator edits and, beside it, the
// 64 KiB table image exchanged with binary files and the controller.
class TTextList2Form : public TChildForm
{
    Q_OBJECT
public:
    explicit TTextList2Form(QWidget *parent = nullptr);
    ~TTextList2Form() override;

    // Grid to image (it does not repaint anything).
    void Update();
    // Image to grid.
    void ImageToGrid();

    // The whole table to and from the controller through the main window's port.
    void SendTable();
    void ReceiveTable();

    bool IsModified() const override;
    void SetModified(bool value) override;
    void ClearTable() override;
    void LoadFromFile(const QString &name, int format) override;
    void SaveToFile(const QString &name, int format) override;

    TableDocument &document() { return m_document; }
    TextGridView *grid() const { return TextGrid; }
    QLabel *recvLabel() const { return RecvLabel; }
    QLabel *sendLabel() const { return SendLabel; }

    static constexpr int NumberColumnWidth = 24;
    static constexpr int ConvStrColumnWidth = 216;
    static constexpr int DefaultRowHeight = 17;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormResize();
    void TextGridRowMoved(int fromRow, int toRow);

    TableDocument m_document;
    TextGridView *TextGrid = nullptr;
    TableGridModel *m_model = nullptr;
    QWidget *Panel1 = nullptr;
    QLabel *RecvLabel = nullptr;
    QLabel *SendLabel = nullptr;
};
