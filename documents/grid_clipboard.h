#pragma once

#include <QByteArray>

class StringGrid;

// The system clipboard as plain text; cell bytes go through CP932 on the way.

// Puts the selection's text (GridSelectionText) on the clipboard.
void GridCopyToClipboard(const StringGrid &grid);
// The same; the selected cells are emptied.
void GridCutToClipboard(StringGrid &grid);
// The clipboard's text as CP932 bytes (empty without text).
QByteArray ClipboardBytes();
bool ClipboardHoldsText();
