// The window views and the dispatcher.
#include "platform/win32/controls.h"

#include <exception>
#include <vector>

#include "platform/win32/error_handler_win32.h"
#include "platform/win32/system_library_win32.h"

namespace dimmscope {
namespace win {

std::string TWindow::Text() const {
  const int length = GetWindowTextLengthA(handle_);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(handle_, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

RECT TWindow::Bounds() const {
  RECT r{};
  GetWindowRect(handle_, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

SIZE TWindow::ClientSize() const {
  RECT r{};
  GetClientRect(handle_, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void TListView::InsertColumn(int Index, const std::string& Caption) const {
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<char*>(Caption.c_str());
  column.cx = 50;
  column.iSubItem = Index;
  SendMessageA(handle_, LVM_INSERTCOLUMNA, Index, reinterpret_cast<LPARAM>(&column));
}

void TListView::SetColumnCaption(int Index, const std::string& Caption) const {
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT;
  column.pszText = const_cast<char*>(Caption.c_str());
  SendMessageA(handle_, LVM_SETCOLUMNA, Index, reinterpret_cast<LPARAM>(&column));
}

int TListView::ColumnCount() const {
  const HWND header = reinterpret_cast<HWND>(SendMessageA(handle_, LVM_GETHEADER, 0, 0));
  return header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int TListView::AddItem(const std::string& Caption) const {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = ItemCount();
  item.pszText = const_cast<char*>(Caption.c_str());
  return static_cast<int>(SendMessageA(handle_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void TListView::SetSubItem(int Item, int Column, const std::string& Text) const {
  LVITEMA item{};
  item.iSubItem = Column;
  item.pszText = const_cast<char*>(Text.c_str());
  SendMessageA(handle_, LVM_SETITEMTEXTA, Item, reinterpret_cast<LPARAM>(&item));
}

TWindowProc::~TWindowProc() {
  if (handle_ != nullptr) SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
}

void TWindowProc::Register(const char* ClassName, HICON Icon, HBRUSH Background) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &TWindowProc::Dispatch;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = Icon;
  wc.hIconSm = Icon;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = Background;
  wc.lpszClassName = ClassName;
  RegisterClassExA(&wc);
}

LRESULT CALLBACK TWindowProc::Dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    auto* self = static_cast<TWindowProc*>(create->lpCreateParams);
    if (self != nullptr) self->handle_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWindowProc*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self != nullptr) {
    try {
      LRESULT result = 0;
      if (self->OnMessage(message, wparam, lparam, result)) return result;
    } catch (const std::exception& error) {
      ShowException(error.what());
      return 0;
    } catch (...) {
      ShowException("Unknown error");
      return 0;
    }
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      self->handle_ = nullptr;
    }
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

namespace {

const char kOriginalProc[] = "DimmscopeOriginalProc";

LRESULT CALLBACK ForwardingProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto original = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOriginalProc));
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return SendMessageA(GetParent(hwnd), message, wparam, lparam);
    case WM_ERASEBKGND: {
      // A group box paints only its frame; as a parent it must also clear
      // the area between its children.
      RECT r{};
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wparam), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropA(hwnd, kOriginalProc);
      break;
    default: break;
  }
  return CallWindowProcA(original, hwnd, message, wparam, lparam);
}

}  // namespace

void ForwardNotifications(HWND Window) {
  // Window-procedure subclassing through user32, so the common controls DLL
  // stays a run-time load.
  const LONG_PTR original = GetWindowLongPtrA(Window, GWLP_WNDPROC);
  SetPropA(Window, kOriginalProc, reinterpret_cast<HANDLE>(original));
  SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForwardingProc));
}

LRESULT FocusedButtonAsDefault(HWND Window) {
  const HWND focus = GetFocus();
  if (!IsChild(Window, focus)) return 0;
  const LRESULT code = SendMessageA(focus, WM_GETDLGCODE, 0, 0);
  const LONG_PTR type = GetWindowLongPtrA(focus, GWL_STYLE) & BS_TYPEMASK;
  const bool push =
      (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0 || ((code & DLGC_BUTTON) != 0 && type == BS_OWNERDRAW);
  return push ? MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID) : 0;
}

void RunModal(HWND Dialog, HWND Owner, HWND Focus, const bool& Running) {
  EnableWindow(Owner, FALSE);
  ShowWindow(Dialog, SW_SHOW);
  SetFocus(Focus);
  MSG message{};
  BOOL got = 1;
  while (Running && (got = GetMessageA(&message, nullptr, 0, 0)) != 0 && got != -1) {
    if (IsDialogMessageA(Dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // The owner is enabled before the dialog hides, so that the activation goes back to it.
  EnableWindow(Owner, TRUE);
  ShowWindow(Dialog, SW_HIDE);
  SetActiveWindow(Owner);
  if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
}

bool InitCommonControls() {
  // Kept loaded for the whole run: the list views live in it.
  static TSystemLibrary library(L"comctl32.dll");
  using TInit = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = library.Function<TInit>("InitCommonControlsEx");
  if (init == nullptr) return false;
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;  // bars: the tooltips
  return init(&controls) != FALSE;
}

}  // namespace win
}  // namespace dimmscope
