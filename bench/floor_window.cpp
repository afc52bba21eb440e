// The floor of the start-up benchmark: dimmscope.exe's own main window (the
// same class, menu, fonts, controls and manifest) with its lists filled from
// the inventory file before it is shown, and nothing else: no COM, no log, no
// registry, no network, no start-up sequence. What dimmscope.exe takes beyond
// this program is what its start-up adds to the cost of the window itself.
#include <memory>
#include <stdexcept>

#include "app/main_commands.h"
#include "app/main_dlg.h"
#include "app/slot_scan.h"
#include "platform/win32/controls.h"
#include "platform/win32/error_handler_win32.h"
#include "support/system_info.h"
#include "wmi/inventory_file.h"
#include "wmi/replay_provider.h"

namespace {

// The scan of the benchmark's inventory, as the window shows it.
dimmscope::TSlotScanModel InventoryModel() {
  const std::string path = dimmscope::EnvironmentValue("DIMMSCOPE_INVENTORY");
  if (path.empty()) throw std::runtime_error("DIMMSCOPE_INVENTORY names no inventory file");
  const dimmscope::TScopedWmiLocatorFactory replay(dimmscope::MakeReplayLocatorFactory(
      std::make_shared<const dimmscope::TInventory>(dimmscope::LoadInventoryFile(path))));
  return dimmscope::ScanSlotModel();
}

int Run() {
  using namespace dimmscope;
  win::InitCommonControls();
  win::SetApplicationTitle(kApplicationTitle);
  TMainDlg mainDlg(std::nullopt, false);
  mainDlg.Create();
  mainDlg.ApplyScanModel(InventoryModel());
  ShowWindow(mainDlg.Handle(), SW_SHOWNORMAL);
  UpdateWindow(mainDlg.Handle());
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    return Run();
  } catch (const std::exception& error) {
    dimmscope::win::ShowException(error.what());
    return 1;
  }
}
