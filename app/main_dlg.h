// The main window: the banner, the System Info. and Physical Memory. groups,
// four slot panels, the menu and the one-second memory timer. It renders the
// core's models (the slot scan, the strip chart) and routes commands to the
// core's decisions; it keeps no logic of its own. Windows only.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/inventory_source.h"
#include "app/slot_scan.h"
#include "app/strip_chart.h"
#include "platform/win32/controls.h"

namespace dimmscope {

class TAboutDlg;
class TAdviceDlg;
class TRunLog;
class TFileGrabber;
class TTavoLite;
class TUpdateCommand;
class TPanelWindow;
class TStripChartWindow;

class TMainDlg : public win::TWindowProc {
 public:
  // `FirstArgument`: the program's first command-line argument, if any.
  // Without `StartUpOnActivation` the window is only the window: the first
  // activation starts nothing (the start-up benchmark's floor).
  explicit TMainDlg(std::optional<std::string> FirstArgument, bool StartUpOnActivation = true);
  ~TMainDlg() override;

  // Creates the window and its controls; the timer starts ticking.
  void Create();
  HACCEL Accelerators() const { return accelerators_.Get(); }

  // Start-up at the first activation of the application. The activation
  // only posts the window a message that runs it: the activation may be sent
  // from another thread, and COM refuses to call out while such a message is
  // being handled.
  void AppEvtActivate();
  void ScanSlots();
  void Mem_tmrTimer();
  std::string GetLink(const std::string& Key) const;
  void ExportSlots(const std::string& Separator, const std::string& Extension);
  void FormDestroy();
  // Sets the labels, lists and buttons as the scan decided.
  void ApplyScanModel(const TSlotScanModel& Model);

  // Commands.
  void Quit1Click();
  void ext1Click() { ExportSlots("\t", "txt"); }
  void Spreadsheet1Click() { ExportSlots(";", "csv"); }
  void Openlogfile1Click();
  void Checkforupdate1Click();
  void About1Click();
  void Upgradeadvice1Click();
  void getSpec1_btnClick() { getSpecClick(0); }
  void getSpec2_btnClick() { getSpecClick(1); }
  void getSpec3_btnClick() { getSpecClick(2); }
  void getSpec4_btnClick() { getSpecClick(3); }
  void getSpecClick(int Panel);  // reads only the list of panel Panel (0 to 3)
  void getRAM_btnClick();
  void drivers_btnClick();

 protected:
  bool OnMessage(UINT Message, WPARAM WParam, LPARAM LParam, LRESULT& Result) override;

 private:
  struct TControl;
  void CreateControls();
  void CreateMenuAndAccelerators();
  HWND Control(int Id) const;
  void SetLabel(int Id, const std::string& Text);
  void ApplyAnchors();
  void AutoSizeColumns(const win::TListView& List) const;
  void OnCommand(int Id);
  bool OnDrawItem(const DRAWITEMSTRUCT& Item);
  bool OnCtlColorStatic(HDC Dc, HWND Control, LRESULT& Result);
  bool OnNotify(LPARAM LParam);
  const std::string& InfoTip(int Panel, int Row) const;
  void StartNetworkJobs();
  void SetFreeSlotTips(const TSlotScanModel& Model);

  std::optional<std::string> firstArgument_;
  std::string programPath_;  // UTF-8
  std::string dataFolder_;   // UTF-8, ends with a separator
  bool started_ = false;     // the start-up handler is detached after its first run
  bool startUpOnActivation_ = true;
  bool startUpPosted_ = false;
  bool startedInSentMessage_ = false;  // how the start-up ran, for kStartUpStateMessage
  UINT startUpStateMessage_ = 0;
  int designClientWidth_ = 0;
  HWND lastFocus_ = nullptr;  // the focused control when the window was last deactivated

  std::vector<TControl> controls_;
  std::unique_ptr<TPanelWindow> topPanel_;
  std::unique_ptr<TStripChartWindow> scopeWindow_;
  TStripChart scope_;
  // What the lists show, as the scan set them: the export and the
  // getSpec buttons read them by position.
  std::array<TExportPanel, kSlotPanels> panels_{};
  // The info tips of the Manufacturer rows: the JEP106 maker of the code
  // the module reported, empty when it names none.
  std::array<std::string, kSlotPanels> makerTips_{};
  // The info tips of the Type rows: the module's speeds and details in words.
  std::array<std::string, kSlotPanels> typeTips_{};

  win::TScopedFont font_;
  win::TScopedFont boldFont_;
  win::TScopedBrush bannerBrush_;
  win::TScopedMenu menu_;
  win::TScopedAccel accelerators_;
  std::unique_ptr<TAboutDlg> aboutDlg_;    // built when first shown
  std::unique_ptr<TAdviceDlg> adviceDlg_;  // built when first shown
  HWND freeSlotTips_ = nullptr;            // the get-more-RAM buttons' tooltip, owned by the window
  // What the scan read and from where, for the upgrade advice: the running
  // system's memory figures belong to it only when it read this computer.
  std::unique_ptr<const TSlotScanModel> scan_;
  TInventorySource inventorySource_ = TInventorySource::None;

  std::unique_ptr<TRunLog> log_;
  std::unique_ptr<TFileGrabber> downloader_;
  std::unique_ptr<TTavoLite> updateChecker_;
  std::unique_ptr<TUpdateCommand> updateCommand_;  // the menu command's side of the check
};

}  // namespace dimmscope
