// The upgrade advice dialog; see advice_dlg.h.
#include "dialogs/advice_dlg.h"

#include <algorithm>
#include <stdexcept>

#include "app/main_dlg_ids.h"
#include "support/clipboard.h"

namespace dimmscope {

namespace {

const int kClientWidth = 480;
const int kMargin = 8;
const int kButtonWidth = 80;
const int kButtonHeight = 28;
const int kMaxTextHeight = 480;  // longer advice is cut rather than the dialog leaving the screen

}  // namespace

TAdviceDlg::TAdviceDlg(HWND Owner) : owner_(Owner) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  win::TWindowProc::Register(kAdviceDlgClass, reinterpret_cast<HICON>(GetClassLongPtrA(Owner, GCLP_HICON)),
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  font_.Reset(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
  CreateWindowExA(WS_EX_DLGMODALFRAME, kAdviceDlgClass, "Upgrade advice", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0,
                  kClientWidth, 100, Owner, nullptr, instance, this);
  if (handle_ == nullptr) throw std::runtime_error("The upgrade advice dialog could not be created.");
  const auto control = [&](const char* Class, const char* Caption, DWORD Style, int Id) {
    const HWND hwnd = CreateWindowExA(0, Class, Caption, WS_CHILD | WS_VISIBLE | Style, 0, 0, 10, 10, handle_,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), instance, nullptr);
    if (hwnd == nullptr) throw std::runtime_error("A control of the upgrade advice dialog could not be created.");
    win::TWindow(hwnd).SetFont(font_.Get());
    return hwnd;
  };
  text_ = control("STATIC", "", SS_LEFT | SS_NOPREFIX, IdAdviceText);
  copy_ = control("BUTTON", "Copy", BS_PUSHBUTTON | WS_TABSTOP, IdAdviceCopyBtn);
  close_ = control("BUTTON", "Close", BS_DEFPUSHBUTTON | WS_TABSTOP, IDCANCEL);
}

TAdviceDlg::~TAdviceDlg() {
  if (handle_ != nullptr) DestroyWindow(handle_);
}

void TAdviceDlg::ShowAdvice(const std::vector<std::string>& Lines) {
  lines_.clear();
  for (const std::string& line : Lines) lines_ += line + "\r\n";
  win::TWindow(text_).SetText(lines_);

  // As tall as the wrapped sentences, centred over the owner.
  RECT text{0, 0, kClientWidth - 2 * kMargin, 0};
  const HDC dc = GetDC(text_);
  const HGDIOBJ old = SelectObject(dc, font_.Get());
  DrawTextA(dc, lines_.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(text_, dc);
  const int textHeight = std::min<int>(text.bottom, kMaxTextHeight);
  const int buttonsTop = kMargin + textHeight + kMargin;
  win::TWindow(text_).Move(kMargin, kMargin, kClientWidth - 2 * kMargin, textHeight);
  win::TWindow(copy_).Move(kClientWidth - 2 * (kButtonWidth + kMargin), buttonsTop, kButtonWidth, kButtonHeight);
  win::TWindow(close_).Move(kClientWidth - kButtonWidth - kMargin, buttonsTop, kButtonWidth, kButtonHeight);
  RECT outer{0, 0, kClientWidth, buttonsTop + kButtonHeight + kMargin};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrA(handle_, GWL_STYLE)), FALSE, WS_EX_DLGMODALFRAME);
  RECT owner{};
  GetWindowRect(owner_, &owner);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  SetWindowPos(handle_, nullptr, owner.left + (owner.right - owner.left - width) / 2,
               owner.top + (owner.bottom - owner.top - height) / 2, width, height, SWP_NOZORDER);

  modal_ = true;
  win::RunModal(handle_, owner_, copy_, modal_);
}

void TAdviceDlg::copy_btnClick() { SetClipboardText(lines_); }

bool TAdviceDlg::OnMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == IdAdviceCopyBtn) copy_btnClick();
      // Close, Escape (IDCANCEL) and Enter elsewhere than on Copy (IDOK).
      if (LOWORD(wparam) == IDCANCEL || LOWORD(wparam) == IDOK) modal_ = false;
      result = 0;
      return true;
    case DM_GETDEFID: result = win::FocusedButtonAsDefault(handle_); return true;
    case WM_CLOSE:
      modal_ = false;
      result = 0;
      return true;
    default: return false;
  }
}

}  // namespace dimmscope
