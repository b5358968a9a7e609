#pragma once

#include <QList>
#include <QString>

class StringGrid;

// What a table loses or confuses on its way into a binary image or the controller.
struct TableFinding
{
    enum class Kind {
        Cut,   // a text longer than its field
        Duplicate,   // a bar code that an earlier row already has
        AfterEnd,   // an entry after the last bar code, which ends the table
        NotShiftJis,   // bytes that do not decode as Shift-JIS
        OtherForm,   // a character a spreadsheet file would bring back as other bytes
        Spreadsheet,   // what a spreadsheet made of a text: exponent form, formula, date
        ShortDigits,   // a hint: digits shorter than those of their kind, leading zeros lost?
    };
    Kind kind;
    int row;
    int column;      // grid column of the cell to go to
    QString text;    // one line for the operator, naming the row
};

// The findings of rows 1..512 of grid, row by row, with the field lengths in force.
QList<TableFinding> CheckTable(const StringGrid &grid);
// When findings lose data (texts cut, entries after the end): the warning that opens the confirmation of a binary
// save or a send, quoting the first of them; empty otherwise.
QString LossWarning(const QList<TableFinding> &findings);
// Writes the findings to the log as warnings, then one summary line; returns their count.
int LogFindings(const QList<TableFinding> &findings);
