// The clipboard's text for the reader (platform::get_clipboard_text): held
// from the call until the clipboard closes.
#pragma once

// Frees the text of the current opening, if any; called as the clipboard
// closes.
void release_clipboard_text();
