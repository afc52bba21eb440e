// The About dialog; see about_dlg.h.
#include "dialogs/about_dlg.h"

#include <stdexcept>

#include "app/main_commands.h"
#include "app/main_dlg_ids.h"
#include "platform/win32/pictures.h"
#include "platform/win32/text_win32.h"
#include "support/shell.h"
#include "update/maker_urls.h"
#include "update/version_info.h"

namespace dimmscope {

namespace {

const int kClientWidth = 389;
const int kClientHeight = 285;

struct TAboutControl {
  int Id;
  int Parent;  // 0 = the dialog
  const char* Class;
  DWORD Style;
  int Left, Top, Width, Height;
  const char* Caption;
};

const TAboutControl kLayout[] = {
    {IdAboutImage1, 0, "STATIC", SS_OWNERDRAW, 0, 0, 388, 96, ""},
    {IdAllGrp, 0, "BUTTON", BS_GROUPBOX, 1, 97, 384, 184, ""},
    {IdApplicationGrp, IdAllGrp, "BUTTON", BS_GROUPBOX, 5, 12, 249, 53, "Application"},
    {IdAppnameLbl, IdApplicationGrp, "STATIC", SS_LEFT | SS_NOPREFIX, 8, 16, 236, 13, "Application name :"},
    {IdVersionLbl, IdApplicationGrp, "STATIC", SS_LEFT | SS_NOPREFIX, 8, 32, 236, 13, "Version :"},
    {IdOrvelGrp, IdAllGrp, "BUTTON", BS_GROUPBOX, 260, 12, 113, 117, "Orvel Studio"},
    {IdEmailBtn, IdOrvelGrp, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 8, 16, 97, 28, "Email"},
    {IdWebBtn, IdOrvelGrp, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 8, 48, 97, 28, "Web Site"},
    {IdForumBtn, IdOrvelGrp, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 8, 80, 97, 28, "Forums"},
    {IdOkBtn, IdAllGrp, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 274, 139, 81, 33, "Ok"},
};

std::string ProgramPath() {
  wchar_t path[32768];
  const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
  return WideToUtf8(std::wstring(path, length));
}

}  // namespace

TAboutDlg::TAboutDlg(HWND Owner)
    : owner_(Owner), TS_about(std::vector<std::string>{"About", "Application Name :", "Version :", "unused"}) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  win::TWindowProc::Register(kAboutDlgClass, reinterpret_cast<HICON>(GetClassLongPtrA(Owner, GCLP_HICON)),
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  font_.Reset(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT outer{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, style, FALSE, WS_EX_DLGMODALFRAME);
  CreateWindowExA(WS_EX_DLGMODALFRAME, kAboutDlgClass, "AboutDlg", style, 0, 0, outer.right - outer.left,
                  outer.bottom - outer.top, Owner, nullptr, instance, this);
  if (handle_ == nullptr) throw std::runtime_error("The About dialog could not be created.");
  CreateControls();
}

TAboutDlg::~TAboutDlg() {
  if (handle_ != nullptr) DestroyWindow(handle_);
}

HWND TAboutDlg::Control(int Id) const {
  for (const auto& control : controls_) {
    if (control.first == Id) return control.second;
  }
  return nullptr;
}

void TAboutDlg::CreateControls() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  for (const TAboutControl& layout : kLayout) {
    const HWND parent = layout.Parent == 0 ? handle_ : Control(layout.Parent);
    // Group boxes hold buttons that Tab must reach.
    const bool group = (layout.Style & 0xF) == BS_GROUPBOX && layout.Class[0] == 'B';
    const HWND hwnd =
        CreateWindowExA(group ? WS_EX_CONTROLPARENT : 0, layout.Class, layout.Caption,
                        WS_CHILD | WS_VISIBLE | layout.Style, layout.Left, layout.Top, layout.Width, layout.Height,
                        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.Id)), instance, nullptr);
    if (hwnd == nullptr) throw std::runtime_error("A control of the About dialog could not be created.");
    win::TWindow(hwnd).SetFont(font_.Get());
    if (group) win::ForwardNotifications(hwnd);
    controls_.emplace_back(layout.Id, hwnd);
  }
}

bool TAboutDlg::ShowAbout() {
  const std::string title = kApplicationTitle;
  // Rebuilt from the stored texts each time, so nothing accumulates.
  win::TWindow(handle_).SetText(TS_about.GetText("About") + " " + title);
  win::TWindow(Control(IdAppnameLbl)).SetText(TS_about.GetText("Application Name :") + " " + title);
  win::TWindow(Control(IdVersionLbl)).SetText(TS_about.GetText("Version :") + " " + GetFileVersion(ProgramPath()));

  // Centred over the owner.
  RECT owner{}, self{};
  GetWindowRect(owner_, &owner);
  GetWindowRect(handle_, &self);
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  SetWindowPos(handle_, nullptr, owner.left + (owner.right - owner.left - width) / 2,
               owner.top + (owner.bottom - owner.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  // Modal: the owner is disabled while the dialog runs its own loop.
  result_ = false;
  modal_ = true;
  win::RunModal(handle_, owner_, Control(IdOkBtn), modal_);
  return result_;
}

void TAboutDlg::EndModal(bool Ok) {
  result_ = Ok;
  modal_ = false;
}

void TAboutDlg::email_btnClick() { ShellOpen(MakerMailtoUrl()); }
void TAboutDlg::web_btnClick() { ShellOpen(HomePageUrl()); }
void TAboutDlg::forum_btnClick() { ShellOpen(ForumUrl()); }

bool TAboutDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IdEmailBtn: email_btnClick(); break;
        case IdWebBtn: web_btnClick(); break;
        case IdForumBtn: forum_btnClick(); break;
        case IdOkBtn:
        case IDOK: EndModal(true); break;
        case IDCANCEL: EndModal(false); break;
        default: break;
      }
      result = 0;
      return true;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->CtlID != IdAboutImage1) return false;
      DrawAboutBanner(item->hDC, item->rcItem);
      result = TRUE;
      return true;
    }
    case WM_CLOSE:
      // Closed from the system menu: hidden without a result, kept for the next time.
      EndModal(false);
      result = 0;
      return true;
    default: return false;
  }
}

}  // namespace dimmscope
