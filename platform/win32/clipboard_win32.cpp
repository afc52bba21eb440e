// The clipboard service on Windows; see support/clipboard.h.
#include <cstring>

#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "support/clipboard.h"

namespace dimmscope {

bool SetClipboardText(const std::string& Text) {
  // As Unicode, so that the text keeps its characters whatever code page the
  // program pasting it runs in; the system derives CF_TEXT from it.
  const std::wstring wide = AnsiToWide(Text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return false;
  void* target = GlobalLock(memory);
  if (target != nullptr) std::memcpy(target, wide.c_str(), bytes);
  GlobalUnlock(memory);
  // Opened for the active window: without an owner the clipboard takes no data.
  if (target == nullptr || !OpenClipboard(GetActiveWindow())) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  if (!placed) GlobalFree(memory);  // the clipboard owns it only once placed
  CloseClipboard();
  return placed;
}

}  // namespace dimmscope
