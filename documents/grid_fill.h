#pragma once

#include <QByteArray>

class StringGrid;

// Fill down and fill series on the selected block, column by column (the row
// numbers never). The source of each column is the selection's top cell and
// the cells below it in the selection are filled; a selection one row high is
// filled from the row above it, as spreadsheets do.

// Copies each column's source text into the cells filled.
void GridFillDown(StringGrid &grid);
// Counts the number at the end of each column's source text up by one a row.
// Raises OstrelError, changing nothing, when a series of JAN/EAN codes runs
// out of digits.
void GridFillSeries(StringGrid &grid);

// A 13- or 8-digit JAN/EAN code whose last digit is its check digit.
bool IsJanCode(const QByteArray &text);
// The check digit of a JAN/EAN code's other digits ('0'..'9').
char JanCheckDigit(const QByteArray &digits);

// The text steps places on in a series from start: the digits it ends in
// counted up by steps, at least as many digits as they were (PART009,
// PART010 ... PART999, PART1000); a JAN/EAN code counts its digits before
// the check digit and gets a new check digit. A text without an ending
// number stays as it is. Raises when a JAN/EAN series runs out of digits;
// row is the row the message names.
QByteArray SeriesText(const QByteArray &start, int steps, int row);
