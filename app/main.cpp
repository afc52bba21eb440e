// dimmscope.exe: the program the user starts. COM for the main thread before
// any window, the main window (the About dialog comes with its first
// showing), the message loop with the menu's shortcuts until the main window
// closes.
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "app/main_commands.h"
#include "app/main_dlg.h"
#include "platform/win32/controls.h"
#include "platform/win32/error_handler_win32.h"
#include "platform/win32/text_win32.h"
#include "support/com_session.h"
#include "support/locale_settings.h"
#include "support/system_info.h"

namespace {

// The first command-line argument, only ever logged.
std::optional<std::string> FirstArgument() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::optional<std::string> first;
  if (args != nullptr && count > 1) first = dimmscope::WideToAnsi(args[1]);
  if (args != nullptr) LocalFree(args);
  return first;
}

int Run(int showCommand) {
  using namespace dimmscope;
  // 1. The units' start-up: DLLs from the system folder only, COM for this
  // thread, the user's separators, the common controls.
  HardenDllSearch();
  const TComSession com;
  LoadLocaleSettings();
  win::InitCommonControls();
  // 2. The application's title.
  win::SetApplicationTitle(kApplicationTitle);
  // 3. The main window, shown as the starter asked (normally, unless a
  // shortcut or launcher said otherwise). It is not painted here: its
  // activation has posted the start-up, which the loop runs before the first
  // paint, so the window is first drawn with the scan in it.
  TMainDlg mainDlg(FirstArgument());
  mainDlg.Create();
  ShowWindow(mainDlg.Handle(), showCommand);
  // 4. The message loop, until the main window is gone.
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (mainDlg.Handle() != nullptr && TranslateAcceleratorA(mainDlg.Handle(), mainDlg.Accelerators(), &message)) {
      continue;
    }
    // Tab, Shift+Tab, Enter and Escape among the window's controls, as in a dialog.
    if (mainDlg.Handle() != nullptr && IsDialogMessageA(mainDlg.Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  try {
    return Run(showCommand);
  } catch (const std::exception& error) {
    // Only the windows' creation can fail here; handlers report their own.
    dimmscope::win::ShowException(error.what());
    return 1;
  }
}
