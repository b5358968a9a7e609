#pragma once

#include "documents/grid_commands.h"

#include <functional>

class TableDocument;

// The system clipboard of the table windows. A copy puts on it the block as
// tab-separated text (CP932 decoded, for spreadsheets and editors) and, beside
// it, the exact bytes of every cell in a private format, which a paste inside
// the program prefers.

inline constexpr char GridBlockMimeType[] = "application/x-ostrel-cells";

void PutBlockOnClipboard(const GridBlock &block);
// Pastes the clipboard into the document: the private block when there is
// one, else the text (TableDocument::PasteText, which raises on what a cell
// cannot hold). When the paste would leave text out, it goes on only when
// pasteWithout agrees.
void PasteClipboard(TableDocument &document, const std::function<bool(const PasteLeftOut &)> &pasteWithout);
bool ClipboardHoldsText();
