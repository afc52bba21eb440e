// The system clipboard, for the texts a user copies out of the window.
#pragma once

#include <string>

namespace dimmscope {

// Replaces the clipboard's content with Text (ANSI code page; Windows also
// offers it as Unicode). False when the clipboard is held by another program
// or the text could not be placed. Only the Windows build has a clipboard.
bool SetClipboardText(const std::string& Text);

}  // namespace dimmscope
