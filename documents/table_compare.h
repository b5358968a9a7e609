#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One field that differs between two table images, as a grid shows it.
struct TableDifference
{
    int row;      // grid row, 1..512
    int column;   // ConvStrColumn or BarcodeColumn
    QByteArray left, right;   // the field as read back from each image
};

// The fields of two table images that differ, by row, conversion string first.
// Fields compare as read back (to their first 0x00, padding dropped), so two
// images that a grid shows alike have no differences.
QList<TableDifference> CompareTableImages(const QByteArray &left, const QByteArray &right);

// "row 12, bar code: 'A100' / 'A101'" with the texts decoded for display.
QString DifferenceLine(const TableDifference &difference);
// The field's name as the grid's header shows it.
QString FieldName(int column);
