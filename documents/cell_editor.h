#pragma once

#include <QLineEdit>

class QLabel;

// The in-place editor of a cell. It takes no line break, tab or NUL: of a
// pasted text holding one, only what comes before it goes in. Its right end
// shows the text's byte count against the field ("12 / 60 bytes"), red past it.
class CellEditor : public QLineEdit
{
    Q_OBJECT
public:
    CellEditor(int fieldLength, QWidget *parent = nullptr);
    QString byteCount() const;

Q_SIGNALS:
    // A pasted text lost what followed its first line.
    void restLeftOut();
    // The text now takes this many bytes of the field.
    void bytesChanged(qsizetype bytes);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showByteCount();

    int m_fieldLength;
    QLabel *m_count;
};
