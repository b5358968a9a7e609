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

// What writing one table image over another changes: the rows whose record
// differs in any byte, and the first fields that differ as a grid shows them.
struct TableChanges
{
    static constexpr int Listed = 5;
    int records = 0;
    QList<TableDifference> first;   // at most Listed
    int firstRow = 0;   // the first row that differs, 0 when none
};
TableChanges ChangesBetween(const QByteArray &before, const QByteArray &after);
// The listed fields as DifferenceLine writes them, or, when only bytes a grid
// does not show differ, a line naming the first such row.
QStringList ChangeLines(const TableChanges &changes);
// The question before a send that makes these changes (fixed Japanese text
// around the lines).
QString SendChangesQuestion(const TableChanges &changes);
