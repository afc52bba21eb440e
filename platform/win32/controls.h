// Thin, non-owning views of Win32 windows and common controls: each method is
// one message or one API call, with no knowledge of what the program shows.
// Plus the owning handle wrapper for GDI objects and the one window-procedure
// dispatcher every window of the program goes through.
#pragma once

#include <string>

#include "platform/win32/win_api.h"

namespace dimmscope {
namespace win {

// Owns one handle and releases it with Traits::Close.
template <typename Traits>
class TScopedHandle {
 public:
  using Handle = typename Traits::Handle;
  TScopedHandle() = default;
  explicit TScopedHandle(Handle h) : handle_(h) {}
  ~TScopedHandle() { Reset(); }
  TScopedHandle(const TScopedHandle&) = delete;
  TScopedHandle& operator=(const TScopedHandle&) = delete;
  void Reset(Handle h = Handle()) {
    if (handle_ != Handle()) Traits::Close(handle_);
    handle_ = h;
  }
  Handle Get() const { return handle_; }
  // Gives up ownership, e.g. to a window that destroys the object itself.
  Handle Release() {
    const Handle h = handle_;
    handle_ = Handle();
    return h;
  }
  explicit operator bool() const { return handle_ != Handle(); }

 private:
  Handle handle_ = Handle();
};

template <typename H>
struct TGdiTraits {
  using Handle = H;
  static void Close(H h) { DeleteObject(h); }
};
using TScopedFont = TScopedHandle<TGdiTraits<HFONT>>;
using TScopedBrush = TScopedHandle<TGdiTraits<HBRUSH>>;
using TScopedBitmap = TScopedHandle<TGdiTraits<HBITMAP>>;

struct TIconTraits {
  using Handle = HICON;
  static void Close(HICON h) { DestroyIcon(h); }
};
using TScopedIcon = TScopedHandle<TIconTraits>;

struct TMenuTraits {
  using Handle = HMENU;
  static void Close(HMENU h) { DestroyMenu(h); }
};
using TScopedMenu = TScopedHandle<TMenuTraits>;

struct TAccelTraits {
  using Handle = HACCEL;
  static void Close(HACCEL h) { DestroyAcceleratorTable(h); }
};
using TScopedAccel = TScopedHandle<TAccelTraits>;

// A window, not owned.
class TWindow {
 public:
  TWindow() = default;
  explicit TWindow(HWND h) : handle_(h) {}
  HWND Handle() const { return handle_; }
  operator HWND() const { return handle_; }
  void Attach(HWND h) { handle_ = h; }

  void Show(bool Visible) const { ShowWindow(handle_, Visible ? SW_SHOW : SW_HIDE); }
  bool IsShown() const { return (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_VISIBLE) != 0; }
  void Enable(bool Enabled) const { EnableWindow(handle_, Enabled ? TRUE : FALSE); }
  bool IsEnabled() const { return IsWindowEnabled(handle_) != FALSE; }
  void SetText(const std::string& Text) const { SetWindowTextA(handle_, Text.c_str()); }
  std::string Text() const;
  void SetFont(HFONT Font) const { SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font), TRUE); }
  void Move(int Left, int Top, int Width, int Height) const { MoveWindow(handle_, Left, Top, Width, Height, TRUE); }
  // Position and size relative to the parent's client area.
  RECT Bounds() const;
  SIZE ClientSize() const;
  void Invalidate() const { InvalidateRect(handle_, nullptr, TRUE); }
  // Off: changes are not painted until it is on again (then Invalidate).
  void SetRedraw(bool Redraw) const { SendMessageA(handle_, WM_SETREDRAW, Redraw ? TRUE : FALSE, 0); }
  void Destroy() const { DestroyWindow(handle_); }

 protected:
  HWND handle_ = nullptr;
};

// A report-style list view.
class TListView : public TWindow {
 public:
  using TWindow::TWindow;
  void SetExtendedStyle(DWORD Style) const { SendMessageA(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, Style, Style); }
  void InsertColumn(int Index, const std::string& Caption) const;
  void SetColumnCaption(int Index, const std::string& Caption) const;
  int ColumnCount() const;
  void SetColumnWidth(int Index, int Width) const { SendMessageA(handle_, LVM_SETCOLUMNWIDTH, Index, Width); }
  void DeleteAllItems() const { SendMessageA(handle_, LVM_DELETEALLITEMS, 0, 0); }
  int ItemCount() const { return static_cast<int>(SendMessageA(handle_, LVM_GETITEMCOUNT, 0, 0)); }
  // Adds a row at the end with `Caption` in the first column; its index.
  int AddItem(const std::string& Caption) const;
  void SetSubItem(int Item, int Column, const std::string& Text) const;
};

// A window class of the program: messages go to OnMessage of the object
// whose pointer travels in lpCreateParams. An exception escaping a handler
// goes to the application's error handler (error_handler_win32.h), never into
// the system's code.
class TWindowProc {
 public:
  virtual ~TWindowProc();
  HWND Handle() const { return handle_; }

  static void Register(const char* ClassName, HICON Icon, HBRUSH Background);
  static LRESULT CALLBACK Dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

 protected:
  // True when handled, with the result in `Result`.
  virtual bool OnMessage(UINT Message, WPARAM WParam, LPARAM LParam, LRESULT& Result) = 0;
  HWND handle_ = nullptr;
};

// Group boxes keep their children's notifications: this subclasses one so
// that it passes them on to its parent, and the form receives them all.
void ForwardNotifications(HWND Window);

// The answer to DM_GETDEFID for a window that is not a dialog: its focused
// push button (owner-drawn ones included), which IsDialogMessage then presses
// on Enter, as a dialog makes its focused push button the default one; none
// otherwise (Enter then sends IDOK).
LRESULT FocusedButtonAsDefault(HWND Window);

// Shows Dialog and runs its modal loop until Running turns false: Owner is
// disabled meanwhile, the keys go through IsDialogMessage (Tab, Enter,
// Escape), Focus has the keyboard first. A WM_QUIT ends the loop and is
// posted again for the loop outside; the dialog is hidden at the end.
void RunModal(HWND Dialog, HWND Owner, HWND Focus, const bool& Running);

// Loads the common controls (version 6 through the program's manifest) and
// registers the list view class. The DLL is loaded at run time, after the DLL
// search was limited to the system folder, so the program imports only DLLs
// that Windows always takes from there.
bool InitCommonControls();

}  // namespace win
}  // namespace dimmscope
