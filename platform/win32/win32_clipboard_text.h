// Cells copied as text only: many spreadsheets put a copied block on the
// clipboard as tab-separated text (with HTML and formats of their own) but
// not as "Wk1". The Windows clipboard then offers the text's cells under
// "Wk1" instead, as the WK1 record stream the command line makes of the same
// text, so that the clipboard reader reads them as it reads any "Wk1" block.
#pragma once

#include <windows.h>

// The registered "Wk1" format (0 when it cannot be registered).
UINT wk1_clipboard_format();

// Only while the clipboard is open and holds no "Wk1": a global memory block
// with the WK1 record stream of the clipboard's text, read as tab-separated
// cells with the user's decimal separator (CF_UNICODETEXT, else CF_TEXT).
// Null when there is no text, or no cell of it holds a number or a "<" / ">"
// value. Made once per opening of the clipboard.
HGLOBAL text_worksheet_block();

// Frees that block; called as the clipboard closes.
void release_text_worksheet_block();
