// Drives dimmscope.exe from outside for the end-to-end test and the start-up
// benchmark: waitscan SECONDS | waitclass CLASS SECONDS | dump [CLASS] (the
// main window or the shown one of that class; "cut": a list cell its column
// cuts off, "past": a label beyond its parent) | memory (the graph and "Used :"
// over a tick) | menu SECONDS | click ID | command ID | msgbox SECONDS (prints
// the next message box, presses its first button, waits until it is gone) |
// reactivate | close | sendactivate EXE SECONDS (starts EXE in the background,
// sends it its first activation, tells how its start-up ran) | facts |
// endsession ID | point ID ROW (a list row's centre on the screen, for
// xdotool's click) | focus (the focused control: its list's selected row, a
// button's focus ring) | text CLASS ID (a
// control of the shown CLASS window, a line a row) | clipboard (its text).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_dlg_ids.h"
#include "platform/win32/win_api.h"

namespace {

std::string Text(HWND hwnd) {
  char buffer[1024] = {};
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  std::string out;
  for (const char c : std::string(buffer)) out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
  return out;
}

std::string ClassOf(HWND hwnd) {
  char buffer[256] = {};
  GetClassNameA(hwnd, buffer, sizeof buffer);
  return buffer;
}

HWND MainWindow() { return FindWindowA(dimmscope::kMainDlgClass, nullptr); }

HWND Shown(const char* ClassName) {
  const HWND found = FindWindowA(ClassName, nullptr);
  return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  if (parent != nullptr) EnumChildWindows(parent, &Collect, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND FindControl(HWND parent, int id) {
  for (const HWND child : Children(parent)) {
    if (GetDlgCtrlID(child) == id) return child;
  }
  return nullptr;
}

// A list view's column caption or cell (LVCOLUMNA or LVITEMA), read through
// a buffer in the owning process; *Width grows by the width it is drawn in.
template <typename TItem>
std::string ListText(HANDLE process, HWND list, UINT message, int index, TItem item, int* Width = nullptr) {
  constexpr int kSize = 512;
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof item + kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (remote == nullptr) return "<no memory>";
  item.pszText = remote + sizeof item;
  item.cchTextMax = kSize;
  WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
  SendMessageA(list, message, index, reinterpret_cast<LPARAM>(remote));
  if (Width != nullptr)
    *Width += static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(item.pszText)));
  char text[kSize] = {};
  ReadProcessMemory(process, remote + sizeof item, text, kSize - 1, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return text;
}

int Dump(HWND window) {
  if (window == nullptr) return std::puts("FAIL no such window"), 1;
  RECT outer{}, client{};
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  std::printf("window caption=%s pos=%ld,%ld outer=%ldx%ld client=%ldx%ld\n", Text(window).c_str(), outer.left,
              outer.top, outer.right - outer.left, outer.bottom - outer.top, client.right, client.bottom);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  for (const HWND child : Children(window)) {
    const int id = GetDlgCtrlID(child);
    if (id == 0) continue;  // the list views' headers
    RECT r{}, area{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    GetClientRect(GetParent(child), &area);
    const bool visible = (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0;
    std::printf("control %d class=%s visible=%d enabled=%d rect=%ld,%ld,%ld,%ld parent=%d text=%s\n", id,
                ClassOf(child).c_str(), visible ? 1 : 0, IsWindowEnabled(child) ? 1 : 0, r.left, r.top,
                r.right - r.left, r.bottom - r.top, GetDlgCtrlID(GetParent(child)), Text(child).c_str());
    if (visible && ClassOf(child) == "Static" && (r.right > area.right || r.bottom > area.bottom)) {
      std::printf("past %d: a label beyond its parent\n", id);
    }
    if (ClassOf(child) != "SysListView32" || process == nullptr) continue;
    for (int column = 0; column < 2; ++column) {
      LVCOLUMNA item{};
      item.mask = LVCF_TEXT;
      std::printf("column %d %d %s\n", id, column, ListText(process, child, LVM_GETCOLUMNA, column, item).c_str());
    }
    const int rows = static_cast<int>(SendMessageA(child, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
      std::string cells[2];
      for (int column = 0; column < 2; ++column) {
        LVITEMA item{};
        item.iSubItem = column;
        int needs = 12;  // the label's margins, which the list's auto-sizing adds
        cells[column] = ListText(process, child, LVM_GETITEMTEXTA, row, item, &needs);
        const int width = static_cast<int>(SendMessageA(child, LVM_GETCOLUMNWIDTH, column, 0));
        if (needs > width) std::printf("cut %d %d %d needs=%d column=%d\n", id, row, column, needs, width);
      }
      std::printf("row %d %d %s|%s\n", id, row, cells[0].c_str(), cells[1].c_str());
    }
  }
  if (process != nullptr) CloseHandle(process);
  return 0;
}

// Polls Condition every 5 ms (the benchmark times start-up with it) for up to Seconds.
template <typename TCondition>
bool Within(const char* Seconds, TCondition Condition) {
  for (int i = 0; i < std::atof(Seconds != nullptr ? Seconds : "20") * 200; ++i) {
    if (Condition()) return true;
    Sleep(5);
  }
  return false;
}

int AnswerMessageBox(const char* Seconds) {
  HWND box = nullptr;
  if (!Within(Seconds, [&] { return (box = Shown("#32770")) != nullptr; })) return std::puts("FAIL no message box"), 1;
  std::string text;
  HWND button = nullptr;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == "Static" && !Text(child).empty()) text = Text(child);
    if (ClassOf(child) == "Button" && button == nullptr) button = child;
  }
  std::printf("msgbox caption=%s text=%s\n", Text(box).c_str(), text.c_str());
  if (button != nullptr) PostMessageA(button, BM_CLICK, 0, 0);
  if (Within("10", [&] { return !IsWindow(box) || !IsWindowVisible(box); })) return 0;
  return std::puts("FAIL the message box stayed"), 1;
}

// The main window loses the activation to a window of this process and gets it
// back; returns once the program has handled its activation.
int Reactivate() {
  const HWND main = MainWindow();
  if (main == nullptr) return 1;
  const HWND other = CreateWindowExA(0, "STATIC", "driver", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
  const auto foreground = [](HWND window) {
    return Within("10", [window] {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      SetForegroundWindow(window);
      return GetForegroundWindow() == window;
    });
  };
  const bool ok = foreground(other) && foreground(main);
  DestroyWindow(other);
  DWORD_PTR ignored = 0;
  return ok && SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0 ? 0 : 1;
}

// Starts `Exe` as a launcher in the background does (shown, not activated),
// waits until it idles, then sends it the first activation from this thread,
// as the system does when the user brings such a program forward. The
// start-up must then run from the program's own posted message.
int SendActivation(const char* Exe, const char* Seconds) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNOACTIVATE;
  PROCESS_INFORMATION process{};
  std::string line = std::string("\"") + Exe + "\"";
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return std::puts("FAIL the program did not start"), 1;
  }
  CloseHandle(process.hThread);
  const DWORD idle = WaitForInputIdle(process.hProcess, 30000);
  CloseHandle(process.hProcess);
  HWND main = nullptr;
  if (idle != 0 || !Within(Seconds, [&] { return (main = Shown(dimmscope::kMainDlgClass)) != nullptr; })) {
    return std::puts("FAIL no main window"), 1;
  }
  const UINT state = RegisterWindowMessageA(dimmscope::kStartUpStateMessage);
  DWORD_PTR ran = 3;
  const auto ask = [&] {
    return SendMessageTimeoutA(main, state, 0, 0, SMTO_ABORTIFHUNG, 5000, &ran) != 0 && ran != 0;
  };
  if (ask()) return std::puts("FAIL the start-up ran before any activation was sent"), 1;
  SendMessageA(main, WM_ACTIVATEAPP, TRUE, 0);
  if (!Within(Seconds, ask)) return std::puts("FAIL the sent activation started nothing"), 1;
  std::puts(ran == 1 ? "start-up ran from its posted message" : "FAIL start-up ran inside the sent activation");
  return ran == 1 ? 0 : 1;
}

// A window's picture, row by row, in COLORREF's order, read from the screen:
// under Wine another process's window DC reads back nothing.
std::vector<COLORREF> Picture(HWND window, int Width, int Height) {
  POINT origin{};
  ClientToScreen(window, &origin);
  const HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, Width, Height);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, Width, Height, screen, origin.x, origin.y, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{{sizeof info.bmiHeader, Width, -Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  std::vector<COLORREF> pixels(static_cast<std::size_t>(Width) * Height);
  GetDIBits(memory, bitmap, 0, Height, pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  for (COLORREF& pixel : pixels) pixel = RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
  return pixels;
}

// A label's "Name : 1.23 GB" in bytes (the size texts count in 1024s).
double LabelBytes(const std::string& Text) {
  double number = -1;
  char unit = '?';
  std::sscanf(Text.c_str(), "%*[^:]: %lf %c", &number, &unit);
  return number * std::pow(1024.0, static_cast<double>(std::string("BKMGT").find(unit)));
}

// Over one tick: how far the graph's picture moved, how far its newest trace
// point lies from the memory load, how far "Used :" and "Total :" lie from it.
int Memory(HWND main) {
  const HWND scope = FindControl(main, dimmscope::IdScope);
  RECT r{};
  GetClientRect(scope, &r);
  const int width = r.right, height = r.bottom;
  const std::vector<COLORREF> before = Picture(scope, width, height);
  std::vector<COLORREF> after = before;
  Within("3", [&] { return (after = Picture(scope, width, height)) != before; });
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatusEx(&status);
  // The shift that carries the old picture onto the new one, but for the strips the tick draws.
  const auto moved = [&](int shift) {
    for (int y = 0; y < height; ++y) {
      const auto row = after.begin() + y * width;
      if (!std::equal(row, row + width - 4 - shift, before.begin() + y * width + shift)) return false;
    }
    return after != before;
  };
  int shift = 0;
  while (shift < 4 && !moved(shift)) ++shift;
  const int loadY = std::min(height - static_cast<int>(std::lround(height * status.dwMemoryLoad / 100.0)), height - 1);
  int off = height;
  for (int y = 0; y < height; ++y) {
    if (after[y * width + width - 1] == 0x00FF00) off = std::min(off, std::abs(y - loadY));
  }
  std::printf("scope shift=%s trace off by %dpx\n", shift < 4 ? std::to_string(shift).c_str() : "none", off);
  const double total = static_cast<double>(status.ullTotalPhys);
  const auto labelOff = [&](int id, double bytes) {
    const std::string text = Text(FindControl(main, id));
    std::printf("%s off by %.0f%%\n", text.c_str(), std::fabs(LabelBytes(text) - bytes) * 100 / total);
  };
  labelOff(dimmscope::IdPhyusedLbl, total - static_cast<double>(status.ullAvailPhys));
  labelOff(dimmscope::IdPhytotLbl, total);
  return 0;
}

// The log header's facts as this process finds them: the version the system
// itself reports (no compatibility setting changes it), the user an administrator.
int Facts() {
  RTL_OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  const auto get = reinterpret_cast<LONG(WINAPI*)(RTL_OSVERSIONINFOW*)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  if (get == nullptr || get(&version) != 0) return std::puts("FAIL no version"), 1;
  return std::printf("windows %lu.%lu\nadministrator %s\n", version.dwMajorVersion, version.dwMinorVersion,
                     IsUserAnAdmin() ? "Yes" : "No") < 0;
}

// The session ends right after command Id: with the program's thread held, the
// command, WM_QUERYENDSESSION (its answer printed) and WM_ENDSESSION are sent,
// which come before any posted message, and WM_QUIT is posted, which ends the
// loop and the process before anything the command posts.
LRESULT queryAnswer = -1;
void CALLBACK Answered(HWND, UINT, ULONG_PTR, LRESULT result) { queryAnswer = result; }
int EndSession(HWND main, int Id) {
  DWORD pid = 0;
  const HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(main, &pid));
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (process == nullptr || thread == nullptr || SuspendThread(thread) == static_cast<DWORD>(-1)) return 1;
  SendNotifyMessageA(main, WM_COMMAND, Id, 0);
  SendMessageCallbackA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, &Answered, 0);
  SendNotifyMessageA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  PostMessageA(main, WM_QUIT, 0, 0);
  ResumeThread(thread);
  const bool ended = Within("20", [&] {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0 && queryAnswer != -1;
  });
  return std::printf("query answered %ld, %s\n", static_cast<long>(queryAnswer), ended ? "ended" : "running") < 0;
}

// The shown popup menu, one letter a row of pixels, top down (menus cannot be
// read from another process): S on the highlight colour, E with the menu's
// text colour, G with other ink (greyed text), '.' for none or a separator.
int Menu(const char* Seconds) {
  HWND menu = nullptr;
  if (!Within(Seconds, [&] { return (menu = Shown("#32768")) != nullptr; })) return std::puts("FAIL no menu"), 1;
  RECT r{};
  GetClientRect(menu, &r);
  const std::vector<COLORREF> picture = Picture(menu, r.right, r.bottom);
  std::string rows;
  for (int y = 0; y < r.bottom; ++y) {
    const auto begin = picture.begin() + y * r.right + 2, end = begin + r.right - 4;
    const auto ink = (end - begin) - std::count(begin, end, GetSysColor(COLOR_MENU));
    rows += std::count(begin, end, GetSysColor(COLOR_HIGHLIGHT)) > 0  ? 'S'
            : ink == 0 || ink > (end - begin) / 2                     ? '.'
            : std::count(begin, end, GetSysColor(COLOR_MENUTEXT)) > 0 ? 'E'
                                                                      : 'G';
  }
  return std::printf("rows %s\n", rows.c_str()) < 0;
}

// A control's text (an edit's lines may be long), its "\r\n" as new lines.
int PrintLines(HWND control) {
  std::string text(16384, '\0');
  SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  text.resize(text.find('\0'));
  for (std::size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at)) text.erase(at, 1);
  return control == nullptr ? (std::puts("FAIL no such control"), 1) : std::printf("%s\n", text.c_str()) < 0;
}

// The screen point of a list row's centre, read through the list's process.
int Point(HWND main, int id, int row) {
  const HWND list = FindControl(main, id);
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (list == nullptr || process == nullptr) return std::puts("FAIL no such list"), 1;
  RECT r{LVIR_BOUNDS, 0, 0, 0};
  void* remote = VirtualAllocEx(process, nullptr, sizeof r, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  WriteProcessMemory(process, remote, &r, sizeof r, nullptr);
  SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(list, &centre);
  return std::printf("%ld %ld\n", centre.x, centre.y) < 0;
}

// The focused control of the main window's thread; a list's selected row; for
// a button, whether a dotted ring runs 3 pixels inside its edge (the colour
// changes at most pixels along that line) or the line is plain.
int Focus(HWND main) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (main == nullptr || !GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) || info.hwndFocus == nullptr)
    return std::puts("FAIL no focus"), 1;
  const HWND focus = info.hwndFocus;
  std::printf("focus %d class=%s", GetDlgCtrlID(focus), ClassOf(focus).c_str());
  if (ClassOf(focus) == "SysListView32")
    std::printf(" selected=%d", static_cast<int>(SendMessageA(focus, LVM_GETNEXTITEM, -1, LVNI_SELECTED)));
  if (ClassOf(focus) == "Button") {
    RECT r{};
    GetClientRect(focus, &r);
    const std::vector<COLORREF> picture = Picture(focus, r.right, r.bottom);
    int changes = 0, length = 0;
    const auto at = [&](int x, int y) { return picture[static_cast<std::size_t>(y) * r.right + x]; };
    for (int x = 4; x < r.right - 4; ++x, length += 2)
      changes += (at(x, 3) != at(x - 1, 3)) + (at(x, r.bottom - 4) != at(x - 1, r.bottom - 4));
    for (int y = 4; y < r.bottom - 4; ++y, length += 2)
      changes += (at(3, y) != at(3, y - 1)) + (at(r.right - 4, y) != at(r.right - 4, y - 1));
    std::printf(" ring=%s", changes * 2 > length ? "dotted" : "plain");
  }
  return std::puts("") < 0;
}

int Clipboard() {
  if (!OpenClipboard(nullptr)) return std::puts("FAIL the clipboard cannot be opened"), 1;
  const HANDLE data = GetClipboardData(CF_TEXT);
  const char* text = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : nullptr;
  std::string copy = text != nullptr ? text : "";
  if (text != nullptr) GlobalUnlock(data);
  CloseClipboard();
  if (text == nullptr) return std::puts("FAIL no text on the clipboard"), 1;
  for (std::size_t at = copy.find('\r'); at != std::string::npos; at = copy.find('\r', at)) copy.erase(at, 1);
  return std::printf("%s\n", copy.c_str()) < 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  const char* arg = argc > 2 ? argv[2] : nullptr;
  const HWND main = MainWindow();
  if (command == "waitscan") {
    // The scan's figures in a window on the screen (a hidden one may hold them already).
    const bool shown = Within(arg, [] {
      const std::string slots = Text(FindControl(MainWindow(), dimmscope::IdSlotsLbl));
      return IsWindowVisible(MainWindow()) && slots.size() > 18 && slots.rfind("Number of slots : ", 0) == 0;
    });
    return shown ? 0 : (std::puts("FAIL no scan shown"), 1);
  }
  if (command == "waitclass" && arg != nullptr) return Within(argv[3], [arg] { return Shown(arg) != nullptr; }) ? 0 : 1;
  if (command == "dump") return Dump(arg != nullptr ? Shown(arg) : main);
  if (command == "click" && arg != nullptr) {
    HWND control = FindControl(main, std::atoi(arg));
    if (control == nullptr) control = FindControl(Shown(dimmscope::kAboutDlgClass), std::atoi(arg));
    if (control == nullptr) return std::puts("FAIL no such control"), 1;
    return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
  }
  if (command == "command" && arg != nullptr) return PostMessageA(main, WM_COMMAND, std::atoi(arg), 0) ? 0 : 1;
  if (command == "msgbox") return AnswerMessageBox(arg);
  if (command == "reactivate") return Reactivate();
  if (command == "sendactivate" && arg != nullptr) return SendActivation(arg, argc > 3 ? argv[3] : nullptr);
  if (command == "memory") return Memory(main);
  if (command == "menu") return Menu(arg);
  if (command == "facts") return Facts();
  if (command == "endsession" && arg != nullptr) return EndSession(main, std::atoi(arg));
  if (command == "point" && argc > 3) return Point(main, std::atoi(arg), std::atoi(argv[3]));
  if (command == "focus") return Focus(main);
  if (command == "text" && argc > 3) return PrintLines(FindControl(Shown(arg), std::atoi(argv[3])));
  if (command == "clipboard") return Clipboard();
  if (command == "close") return main != nullptr && PostMessageA(main, WM_CLOSE, 0, 0) ? 0 : 1;
  return std::puts("FAIL unknown command"), 2;
}
