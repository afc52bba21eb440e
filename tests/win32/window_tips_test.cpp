// The slot lists' info tips, asked of the main window in its own process:
// Wine draws no list-view info tips, and a notification's pointers mean
// nothing in another process. The window scans fixtures/window/tips.ini; every
// row of every list is asked for its tip as the list asks, in both character
// sets into an empty buffer ("A", "W") and after the row's own cut-short text
// in a short buffer ("cut"). Then a second window scans
// fixtures/window/keyboard.ini, where slot 4 is free: its get-more-RAM
// button's tooltip holds the advice's one line ("getram SLOT|text"). The
// answers must be the lines of fixtures/window/tips.expect, in order.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_dlg.h"
#include "app/main_dlg_ids.h"
#include "platform/win32/text_win32.h"

namespace {

using namespace dimmscope;

template <typename TInfo, typename TChar>
std::string Ask(HWND main, int list, int row, UINT code, std::basic_string<TChar> buffer, int size) {
  buffer.resize(static_cast<std::size_t>(size), TChar(0));
  TInfo info{};
  info.hdr.idFrom = static_cast<UINT_PTR>(list);
  info.hdr.code = code;
  info.iItem = row;
  info.pszText = &buffer[0];
  info.cchTextMax = size;
  SendMessageW(main, WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
  std::string text;
  if constexpr (sizeof(TChar) == 1) text = buffer.c_str();
  if constexpr (sizeof(TChar) == 2) text = WideToAnsi(buffer.c_str());
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n')) text.replace(at, 1, "\\n");
  return text;
}

BOOL CALLBACK CollectTooltips(HWND window, LPARAM found) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) == TOOLTIPS_CLASSA) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

// The tools of every tooltip of this thread that are get-more-RAM buttons, with their text.
void FreeSlotTips(std::vector<std::string>& got) {
  std::vector<HWND> tooltips;
  EnumThreadWindows(GetCurrentThreadId(), &CollectTooltips, reinterpret_cast<LPARAM>(&tooltips));
  for (const HWND tooltip : tooltips) {
    for (int i = 0; i < static_cast<int>(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0)); ++i) {
      TTTOOLINFOA tool{};
      tool.cbSize = TTTOOLINFOA_V2_SIZE;
      SendMessageA(tooltip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool));
      const int slot = GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId)) - IdGetRam1 + 1;
      if ((tool.uFlags & TTF_IDISHWND) == 0 || slot < 1 || slot > kSlotPanels) continue;
      // Asked in Unicode: the ANSI answer stops at 80 characters.
      wchar_t text[1024] = {};
      TTTOOLINFOW wide{};
      wide.cbSize = TTTOOLINFOW_V2_SIZE;
      wide.hwnd = tool.hwnd;
      wide.uId = tool.uId;
      wide.lpszText = text;
      SendMessageW(tooltip, TTM_GETTEXTW, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(&wide));
      got.push_back("getram " + std::to_string(slot) + "|" + WideToAnsi(text));
    }
  }
}

}  // namespace

int main() {
  SetEnvironmentVariableA("DIMMSCOPE_INVENTORY", DIMMSCOPE_FIXTURES "/window/tips.ini");
  win::InitCommonControls();
  TMainDlg window(std::nullopt);
  window.Create();
  window.ScanSlots();
  std::vector<std::string> got;
  for (int panel = 0; panel < kSlotPanels; ++panel) {
    for (int row = 0; row < static_cast<int>(kSlotRowCaptions.size()); ++row) {
      const std::string where = std::to_string(panel + 1) + " " + kSlotRowCaptions[row];
      const int list = IdLst1 + panel;
      const std::string a = Ask<NMLVGETINFOTIPA>(window.Handle(), list, row, LVN_GETINFOTIPA, std::string(), 1024);
      const std::string w = Ask<NMLVGETINFOTIPW>(window.Handle(), list, row, LVN_GETINFOTIPW, std::wstring(), 1024);
      const std::string cut = Ask<NMLVGETINFOTIPA>(window.Handle(), list, row, LVN_GETINFOTIPA, std::string("Val"), 24);
      if (!a.empty()) got.push_back(where + " A|" + a);
      if (!w.empty()) got.push_back(where + " W|" + w);
      if (cut != "Val") got.push_back(where + " cut|" + cut);
    }
  }
  SetEnvironmentVariableA("DIMMSCOPE_INVENTORY", DIMMSCOPE_FIXTURES "/window/keyboard.ini");
  TMainDlg freeSlot(std::nullopt);
  freeSlot.Create();
  freeSlot.ScanSlots();
  FreeSlotTips(got);
  std::ifstream expect(DIMMSCOPE_FIXTURES "/window/tips.expect");
  std::vector<std::string> wanted;
  for (std::string line; std::getline(expect, line);) {
    if (!line.empty() && line[0] != '#') wanted.push_back(line);
  }
  for (const auto& line : got) std::printf("%s\n", line.c_str());
  if (got == wanted && !wanted.empty()) return std::puts("PASS the info tips"), 0;
  for (const auto& line : wanted) std::printf("wanted: %s\n", line.c_str());
  return std::puts("FAIL the info tips differ from tips.expect"), 1;
}
