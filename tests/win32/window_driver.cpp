// Drives dimmscope.exe from outside for the end-to-end tests: finds its main
// window, prints its controls (class, caption, visibility, enabled state,
// position) and list rows read across processes, clicks buttons, answers
// message boxes, switches the activation away and back, and records what the
// shell was asked to open (as the program behind file associations).
//
// Usage: window_driver COMMAND [ARGS]
//   wait SECONDS            until the main window's caption starts "Dimmscope v"
//   waitscan SECONDS        until the main window shows a scan's slot count
//   waitclass CLASS SECONDS until a visible top-level window of that class exists
//   dump [CLASS]            the window (the main window, or the shown top-level window of
//                           that class), its controls and list rows
//   click ID                BM_CLICK on the control with that identifier (main window or About dialog)
//   msgbox SECONDS          prints the next message box's caption and text, presses its first button
//   nomsgbox SECONDS        fails when a message box appears within that time
//   reactivate              activates a window of its own, then the main window again
//   command ID              the menu command ID, as its menu item sends it
//   close                   closes the main window
//   record FILE ARG         appends ARG and a line break to FILE
//   version FILE            the file's version from its fixed version information ("a.b.c.d")
// Started without arguments (as the driver-update product the program starts),
// it appends "started " and its own path to the file named by the environment
// variable DIMMSCOPE_E2E_STARTED.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_dlg_ids.h"
#include "platform/win32/win_api.h"

namespace {

std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Text(HWND hwnd) {
  char buffer[1024] = {};
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  return buffer;
}

std::string ClassOf(HWND hwnd) {
  char buffer[256] = {};
  GetClassNameA(hwnd, buffer, sizeof(buffer));
  return buffer;
}

HWND MainWindow() { return FindWindowA(dimmscope::kMainDlgClass, nullptr); }

HWND ShownWindow(const char* ClassName) {
  const HWND found = FindWindowA(ClassName, nullptr);
  return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

struct Search {
  int Id;
  HWND Found;
};

BOOL CALLBACK MatchId(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  if (GetDlgCtrlID(hwnd) != s->Id) return TRUE;
  s->Found = hwnd;
  return FALSE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK MatchMessageBox(HWND hwnd, LPARAM param);

HWND FindControl(HWND parent, int id) {
  Search search{id, nullptr};
  EnumChildWindows(parent, &MatchId, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

// A list view's cell, read through a buffer in the owning process.
std::string ListCell(HANDLE process, HWND list, int item, int column) {
  const SIZE_T textSize = 512;
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + textSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (remote == nullptr) return "<no memory>";
  LVITEMA lvitem{};
  lvitem.iSubItem = column;
  lvitem.cchTextMax = static_cast<int>(textSize);
  lvitem.pszText = remote + sizeof(LVITEMA);
  WriteProcessMemory(process, remote, &lvitem, sizeof(lvitem), nullptr);
  SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(remote));
  char text[512] = {};
  ReadProcessMemory(process, remote + sizeof(LVITEMA), text, textSize - 1, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return text;
}

std::string ListColumn(HANDLE process, HWND list, int column) {
  const SIZE_T textSize = 256;
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(LVCOLUMNA) + textSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (remote == nullptr) return "<no memory>";
  LVCOLUMNA lvcolumn{};
  lvcolumn.mask = LVCF_TEXT | LVCF_WIDTH;
  lvcolumn.cchTextMax = static_cast<int>(textSize);
  lvcolumn.pszText = remote + sizeof(LVCOLUMNA);
  WriteProcessMemory(process, remote, &lvcolumn, sizeof(lvcolumn), nullptr);
  SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(remote));
  LVCOLUMNA back{};
  ReadProcessMemory(process, remote, &back, sizeof(back), nullptr);
  char text[256] = {};
  ReadProcessMemory(process, remote + sizeof(LVCOLUMNA), text, textSize - 1, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return std::string(text) + " width=" + std::to_string(back.cx);
}

int Dump(const char* ClassName) {
  const HWND main = ClassName == nullptr ? MainWindow() : ShownWindow(ClassName);
  if (main == nullptr) {
    std::puts("FAIL no such window");
    return 1;
  }
  RECT outer{}, client{};
  GetWindowRect(main, &outer);
  GetClientRect(main, &client);
  std::printf("window caption=%s pos=%ld,%ld outer=%ldx%ld client=%ldx%ld style=%08lx\n", Escape(Text(main)).c_str(),
              outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top, client.right, client.bottom,
              static_cast<unsigned long>(GetWindowLongA(main, GWL_STYLE)));
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  std::vector<HWND> children;
  EnumChildWindows(main, &CollectChild, reinterpret_cast<LPARAM>(&children));
  for (const HWND child : children) {
    const int id = GetDlgCtrlID(child);
    if (id == 0) continue;  // the list views' headers
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    const bool visible = (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0;
    std::printf("control %d class=%s visible=%d enabled=%d rect=%ld,%ld,%ld,%ld parent=%d text=%s\n", id,
                ClassOf(child).c_str(), visible ? 1 : 0, IsWindowEnabled(child) ? 1 : 0, r.left, r.top,
                r.right - r.left, r.bottom - r.top, GetDlgCtrlID(GetParent(child)), Escape(Text(child)).c_str());
    if (ClassOf(child) == "SysListView32" && process != nullptr) {
      for (int column = 0; column < 2; ++column) {
        std::printf("column %d %d %s\n", id, column, ListColumn(process, child, column).c_str());
      }
      const int rows = static_cast<int>(SendMessageA(child, LVM_GETITEMCOUNT, 0, 0));
      for (int row = 0; row < rows; ++row) {
        std::printf("row %d %d %s|%s\n", id, row, Escape(ListCell(process, child, row, 0)).c_str(),
                    Escape(ListCell(process, child, row, 1)).c_str());
      }
    }
  }
  if (process != nullptr) CloseHandle(process);
  return 0;
}

int Wait(double seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    const HWND main = MainWindow();
    if (main != nullptr && Text(main).rfind("Dimmscope v", 0) == 0) return 0;
    Sleep(100);
  }
  std::puts("FAIL the main window did not start");
  return 1;
}

BOOL CALLBACK MatchMessageBox(HWND hwnd, LPARAM param) {
  if (ClassOf(hwnd) != "#32770" || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(param) = hwnd;
  return FALSE;
}

// The first message box (dialog class #32770) that is shown.
HWND FindMessageBox(double seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    HWND found = nullptr;
    EnumWindows(&MatchMessageBox, reinterpret_cast<LPARAM>(&found));
    if (found != nullptr) return found;
    Sleep(100);
  }
  return nullptr;
}

int MessageBoxCommand(double seconds) {
  const HWND box = FindMessageBox(seconds);
  if (box == nullptr) {
    std::puts("FAIL no message box");
    return 1;
  }
  std::string text;
  HWND button = nullptr;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == "Static" && !Text(child).empty()) text = Text(child);
    if (ClassOf(child) == "Button" && button == nullptr) button = child;
  }
  std::printf("msgbox caption=%s text=%s\n", Escape(Text(box)).c_str(), Escape(text).c_str());
  if (button != nullptr) PostMessageA(button, BM_CLICK, 0, 0);
  return 0;
}

int Reactivate() {
  const HWND main = MainWindow();
  if (main == nullptr) return 1;
  const HWND other = CreateWindowExA(0, "STATIC", "driver", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(other);
  SetActiveWindow(other);
  MSG message;
  for (int i = 0; i < 10; ++i) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(50);
  }
  SetForegroundWindow(main);
  DestroyWindow(other);
  Sleep(500);
  return 0;
}

// The file's version as its fixed version information gives it, read here
// independently of the program's own reading.
int Version(const char* FileName) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(FileName, &ignored);
  std::vector<char> info(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (size == 0 || !GetFileVersionInfoA(FileName, 0, size, info.data()) ||
      !VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr) {
    std::puts("FAIL no version information");
    return 1;
  }
  std::printf("%lu.%lu.%lu.%lu\n", static_cast<unsigned long>(HIWORD(fixed->dwFileVersionMS)),
              static_cast<unsigned long>(LOWORD(fixed->dwFileVersionMS)),
              static_cast<unsigned long>(HIWORD(fixed->dwFileVersionLS)),
              static_cast<unsigned long>(LOWORD(fixed->dwFileVersionLS)));
  return 0;
}

int RecordStart() {
  const char* record = std::getenv("DIMMSCOPE_E2E_STARTED");
  if (record == nullptr || *record == '\0') return 2;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  FILE* file = std::fopen(record, "ab");
  if (file == nullptr) return 1;
  std::fprintf(file, "started %s\n", path);
  std::fclose(file);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return RecordStart();
  const std::string command = argv[1];
  if (command == "wait") return Wait(argc > 2 ? std::atof(argv[2]) : 20);
  if (command == "dump") return Dump(argc > 2 ? argv[2] : nullptr);
  if (command == "version" && argc > 2) return Version(argv[2]);
  if (command == "waitscan" || command == "waitclass") {
    // Polled often: the benchmark times the start of a program with it.
    const bool scan = command == "waitscan";
    const double seconds = std::atof(argv[scan ? 2 : 3] != nullptr ? argv[scan ? 2 : 3] : "20");
    for (int i = 0; i < seconds * 200; ++i) {
      if (scan) {
        const HWND main = MainWindow();
        const HWND slots = main != nullptr ? FindControl(main, dimmscope::IdSlotsLbl) : nullptr;
        const std::string text = slots != nullptr ? Text(slots) : std::string();
        if (text.size() > 18 && text.rfind("Number of slots : ", 0) == 0) return 0;
      } else {
        const HWND found = FindWindowA(argv[2], nullptr);
        if (found != nullptr && IsWindowVisible(found)) return 0;
      }
      Sleep(5);
    }
    std::puts("FAIL timed out");
    return 1;
  }
  if (command == "click" && argc > 2) {
    const HWND main = MainWindow();
    HWND control = main != nullptr ? FindControl(main, std::atoi(argv[2])) : nullptr;
    const HWND about = ShownWindow(dimmscope::kAboutDlgClass);
    if (control == nullptr && about != nullptr) control = FindControl(about, std::atoi(argv[2]));
    if (control == nullptr) {
      std::puts("FAIL no such control");
      return 1;
    }
    PostMessageA(control, BM_CLICK, 0, 0);
    return 0;
  }
  if (command == "msgbox") return MessageBoxCommand(argc > 2 ? std::atof(argv[2]) : 10);
  if (command == "nomsgbox") {
    const HWND box = FindMessageBox(argc > 2 ? std::atof(argv[2]) : 2);
    if (box == nullptr) return 0;
    std::printf("FAIL unexpected message box: %s\n", Escape(Text(box)).c_str());
    return 1;
  }
  if (command == "reactivate") return Reactivate();
  if (command == "command" && argc > 2) {
    const HWND main = MainWindow();
    if (main == nullptr) return 1;
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0);
    return 0;
  }
  if (command == "close") {
    const HWND main = MainWindow();
    if (main != nullptr) PostMessageA(main, WM_CLOSE, 0, 0);
    return 0;
  }
  if (command == "record" && argc > 3) {
    FILE* file = std::fopen(argv[2], "ab");
    if (file == nullptr) return 1;
    std::fprintf(file, "%s\n", argv[3]);
    std::fclose(file);
    return 0;
  }
  return 2;
}
