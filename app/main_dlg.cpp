// The main window; see main_dlg.h. Handlers here call the core and apply what
// it answers to the controls.
#include "app/main_dlg.h"

#include <algorithm>
#include <stdexcept>

#include "app/inventory_source.h"
#include "app/jedec_names.h"
#include "app/main_commands.h"
#include "app/main_dlg_ids.h"
#include "app/module_details.h"
#include "app/upgrade_advice.h"
#include "dialogs/about_dlg.h"
#include "dialogs/advice_dlg.h"
#include "platform/win32/pictures.h"
#include "platform/win32/text_win32.h"
#include "support/ansi_text.h"
#include "support/app_folders.h"
#include "support/memory_status.h"
#include "support/run_log.h"
#include "support/shell.h"
#include "support/system_info.h"
#include "support/text_helpers.h"
#include "update/file_grabber.h"
#include "update/maker_urls.h"
#include "update/tavo_lite.h"
#include "update/update_command.h"
#include "update/version_info.h"

namespace dimmscope {

namespace {

const UINT_PTR kMemTimer = 1;
const UINT kStartUpMessage = WM_APP + 1;   // posted by the first activation
const UINT kFlushLogMessage = WM_APP + 2;  // posted by the log when an entry waits
const UINT kMemTimerInterval = 1000;       // milliseconds
const int kClientWidth = 751;
const int kClientHeight = 495;
const int kLeft = 198;
const int kTop = 179;
const char kGetRamCaption[] = "Empty slot !\n\rClick here to get more RAM";
const char kInstalledProductPrefix[] = "Orvel Studio Dimmscope";
const COLORREF kSilver = RGB(192, 192, 192);
const COLORREF kWhite = RGB(255, 255, 255);

enum class TKind { Panel, Image, Label, GroupBox, ListView, SpeedButton, ImageButton, Graph };

// One control of the window as designed: position relative to its parent,
// and whether its right edge follows the parent's (anchored right).
struct TControlLayout {
  int Id;
  TKind Kind;
  int Parent;                    // 0 = the window
  int Left, Top, Width, Height;  // a label's size follows its text
  const char* Caption;
  bool AnchorLeft;
  bool AnchorRight;
};

constexpr int kSlotLeft[kSlotPanels] = {8, 8, 376, 376};
constexpr int kSlotTop[kSlotPanels] = {96, 262, 96, 262};

std::vector<TControlLayout> Layout() {
  std::vector<TControlLayout> layouts = {
      {IdTopPnl, TKind::Panel, 0, -12, 0, 764, 57, "", true, true},
      {IdImage1, TKind::Image, IdTopPnl, 24, 8, 32, 32, "", true, false},
      {IdLabel2, TKind::Label, IdTopPnl, 63, 10, 0, 0, "Dimmscope", true, false},
      {IdSubtitleLbl, TKind::Label, IdTopPnl, 64, 26, 0, 0, "Memory details at your finger tips", true, false},
      {IdDriversBtn, TKind::ImageButton, IdTopPnl, 608, 8, 137, 41, "Drivers Update", false, true},
      {IdGeneralGrp, TKind::GroupBox, 0, 2, 61, 743, 430, "General", true, true},
      {IdSystemGrp, TKind::GroupBox, IdGeneralGrp, 8, 12, 147, 81, "System Info.", true, false},
      {IdSlotsLbl, TKind::Label, IdSystemGrp, 8, 19, 0, 0, "Number of slots :", true, false},
      {IdCurmemLbl, TKind::Label, IdSystemGrp, 8, 35, 0, 0, "Current memory :", true, false},
      {IdMaxmemLbl, TKind::Label, IdSystemGrp, 8, 51, 0, 0, "Maximum memory :", true, false},
      {IdGroupBox2, TKind::GroupBox, IdGeneralGrp, 160, 12, 209, 81, "Physical Memory.", true, false},
      {IdPhyusedLbl, TKind::Label, IdGroupBox2, 8, 19, 0, 0, "Used :", true, false},
      {IdPhytotLbl, TKind::Label, IdGroupBox2, 8, 35, 0, 0, "Available :", true, false},
      {IdScope, TKind::Graph, IdGroupBox2, 115, 10, 89, 65, "", true, false},
  };
  static const char* const kSlotCaptions[kSlotPanels] = {"Slot 1", "Slot 2", "Slot 3", "Slot 4"};
  // Created row by row, so that Tab walks the slots in reading order: slot 1,
  // slot 3 beside it, then slots 2 and 4 below (the order of creation is the
  // order of the keyboard focus).
  for (const int k : {0, 2, 1, 3}) {
    const int group = IdSlotGrp1 + k;
    layouts.push_back(
        {group, TKind::GroupBox, IdGeneralGrp, kSlotLeft[k], kSlotTop[k], 361, 161, kSlotCaptions[k], true, false});
    layouts.push_back({IdLst1 + k, TKind::ListView, group, 7, 16, 266, 137, "", true, true});
    layouts.push_back({IdGetSpec1 + k, TKind::SpeedButton, group, 280, 16, 73, 89, "Get Specification", true, false});
    layouts.push_back({IdGetRam1 + k, TKind::ImageButton, group, 8, 16, 345, 137, "", true, false});
  }
  return layouts;
}

bool IsBannerChild(int id) { return id == IdImage1 || id == IdLabel2 || id == IdSubtitleLbl || id == IdDriversBtn; }

// The caption as drawn: the get-more-RAM caption's line feed and carriage
// return make one line break on the button.
std::string DisplayCaption(std::string text) {
  for (auto at = text.find("\n\r"); at != std::string::npos; at = text.find("\n\r", at)) text.erase(at + 1, 1);
  for (auto at = text.find('\r'); at != std::string::npos; at = text.find('\r', at)) text.erase(at, 1);
  return text;
}

std::string ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return WideToUtf8(path);
    }
    path.resize(path.size() * 2);
  }
}

// Writes an info tip into the list's buffer, after the row's own text when the
// list put it there (it does when the row shows that text cut short).
template <typename TChar>
void FillInfoTip(TChar* Buffer, int Size, const std::basic_string<TChar>& Tip) {
  if (Buffer == nullptr || Size <= 0) return;
  std::basic_string<TChar> text(Buffer);
  if (!text.empty()) text += TChar('\n');
  text += Tip;
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(Size - 1));
  std::copy_n(text.begin(), count, Buffer);
  Buffer[count] = TChar(0);
}

}  // namespace

// The banner panel: paints the window-frame colour with a lowered inner bevel
// and passes its children's notifications to the form.
class TPanelWindow : public win::TWindowProc {
 public:
  static constexpr const char* kClass = "TPanel";
  explicit TPanelWindow(HBRUSH Brush) : brush_(Brush) {}

 protected:
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    switch (message) {
      case WM_ERASEBKGND: {
        RECT r{};
        GetClientRect(handle_, &r);
        FillRect(reinterpret_cast<HDC>(wparam), &r, brush_);
        DrawEdge(reinterpret_cast<HDC>(wparam), &r, BDR_SUNKENINNER, BF_RECT);
        result = 1;
        return true;
      }
      case WM_SIZE: InvalidateRect(handle_, nullptr, TRUE); return false;
      case WM_COMMAND:
      case WM_DRAWITEM:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN: result = SendMessageA(GetParent(handle_), message, wparam, lparam); return true;
      default: return false;
    }
  }

 private:
  HBRUSH brush_;
};

// The memory-load graph: copies the strip chart's pixels to the screen.
class TStripChartWindow : public win::TWindowProc {
 public:
  static constexpr const char* kClass = "TStripChart";
  explicit TStripChartWindow(const TStripChart& Chart) : chart_(Chart) {}

 protected:
  bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
    if (message == WM_ERASEBKGND) {
      result = 1;
      return true;
    }
    if (message != WM_PAINT) return false;
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(handle_, &paint);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = chart_.Width();
    info.bmiHeader.biHeight = -chart_.Height();  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, chart_.Width(), chart_.Height(), 0, 0, 0, chart_.Height(), chart_.Pixels().data(),
                      &info, DIB_RGB_COLORS);
    EndPaint(handle_, &paint);
    result = 0;
    return true;
  }

 private:
  const TStripChart& chart_;
};

struct TMainDlg::TControl {
  TControlLayout Layout;
  win::TWindow Window;
};

TMainDlg::TMainDlg(std::optional<std::string> FirstArgument, bool StartUpOnActivation)
    : firstArgument_(std::move(FirstArgument)), programPath_(ProgramPath()), startUpOnActivation_(StartUpOnActivation) {
  for (auto& panel : panels_) panel.ListShown = true;
}

TMainDlg::~TMainDlg() = default;

void TMainDlg::Create() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  // The product icon of the version resource, or the drawn one.
  HICON icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (icon == nullptr) icon = CreateProductIcon(32);
  win::TWindowProc::Register(kMainDlgClass, icon, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  win::TWindowProc::Register(TPanelWindow::kClass, nullptr, nullptr);
  win::TWindowProc::Register(TStripChartWindow::kClass, nullptr, nullptr);

  font_.Reset(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
  boldFont_.Reset(CreateFontA(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
  bannerBrush_.Reset(CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME)));
  CreateMenuAndAccelerators();

  // Fixed single border, system menu and minimise button; the outer size is
  // the one that gives the designed client area with the menu bar.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT outer{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, style, TRUE, 0);
  designClientWidth_ = kClientWidth;
  startUpStateMessage_ = RegisterWindowMessageA(kStartUpStateMessage);
  CreateWindowExA(0, kMainDlgClass, "MainDlg", style, kLeft, kTop, outer.right - outer.left, outer.bottom - outer.top,
                  nullptr, menu_.Get(), instance, this);
  if (handle_ == nullptr) throw std::runtime_error("The main window could not be created.");
  // The menu now belongs to the window, which destroys it.
  (void)menu_.Release();
}

void TMainDlg::CreateMenuAndAccelerators() {
  const HMENU bar = CreateMenu();
  const HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, CmdQuit1, "&Quit\tCtrl+Q");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  const HMENU action = CreatePopupMenu();
  const HMENU exportMenu = CreatePopupMenu();
  AppendMenuA(exportMenu, MF_STRING, CmdExt1, "&Text");
  AppendMenuA(exportMenu, MF_STRING, CmdSpreadsheet1, "&Spreadsheet");
  AppendMenuA(action, MF_POPUP, reinterpret_cast<UINT_PTR>(exportMenu), "&Export");
  AppendMenuA(action, MF_STRING, CmdUpgradeAdvice, "&Upgrade advice...");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(action), "&Action");
  const HMENU help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, CmdOpenlogfile1, "&Open log file\tCtrl+L");
  AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(help, MF_STRING, CmdCheckforupdate1, "Check for update...\tCtrl+G");
  AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(help, MF_STRING, CmdAbout1, "&About...\tCtrl+B");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&?");
  menu_.Reset(bar);

  ACCEL keys[] = {
      {FCONTROL | FVIRTKEY, 'Q', CmdQuit1},
      {FCONTROL | FVIRTKEY, 'L', CmdOpenlogfile1},
      {FCONTROL | FVIRTKEY, 'G', CmdCheckforupdate1},
      {FCONTROL | FVIRTKEY, 'B', CmdAbout1},
  };
  accelerators_.Reset(CreateAcceleratorTableA(keys, static_cast<int>(sizeof(keys) / sizeof(keys[0]))));
}

void TMainDlg::CreateControls() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  for (const TControlLayout& layout : Layout()) {
    const HWND parent = layout.Parent == 0 ? handle_ : Control(layout.Parent);
    const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.Id));
    HWND hwnd = nullptr;
    switch (layout.Kind) {
      case TKind::Panel:
        topPanel_ = std::make_unique<TPanelWindow>(bannerBrush_.Get());
        hwnd = CreateWindowExA(WS_EX_CONTROLPARENT, TPanelWindow::kClass, "", child | WS_CLIPCHILDREN, layout.Left,
                               layout.Top, layout.Width, layout.Height, parent, id, instance, topPanel_.get());
        break;
      case TKind::Image:
        hwnd = CreateWindowExA(0, "STATIC", "", child | SS_ICON, layout.Left, layout.Top, layout.Width, layout.Height,
                               parent, id, instance, nullptr);
        SendMessageA(hwnd, STM_SETICON,
                     reinterpret_cast<WPARAM>(reinterpret_cast<HICON>(GetClassLongPtrA(handle_, GCLP_HICON))), 0);
        break;
      case TKind::Label:
        hwnd = CreateWindowExA(0, "STATIC", layout.Caption, child | SS_LEFT | SS_NOPREFIX, layout.Left, layout.Top, 1,
                               1, parent, id, instance, nullptr);
        break;
      case TKind::GroupBox:
        // Containers of the controls Tab moves through (IsDialogMessage
        // enters only children marked so).
        hwnd = CreateWindowExA(WS_EX_CONTROLPARENT, "BUTTON", layout.Caption, child | BS_GROUPBOX | WS_CLIPCHILDREN,
                               layout.Left, layout.Top, layout.Width, layout.Height, parent, id, instance, nullptr);
        win::ForwardNotifications(hwnd);
        break;
      case TKind::ListView: {
        hwnd = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                               child | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                               layout.Left, layout.Top, layout.Width, layout.Height, parent, id, instance, nullptr);
        const win::TListView list(hwnd);
        list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
        list.InsertColumn(0, "");
        list.InsertColumn(1, "");
        break;
      }
      case TKind::SpeedButton:
      case TKind::ImageButton:
        hwnd = CreateWindowExA(0, "BUTTON", layout.Caption, child | BS_OWNERDRAW | WS_TABSTOP, layout.Left, layout.Top,
                               layout.Width, layout.Height, parent, id, instance, nullptr);
        break;
      case TKind::Graph:
        scopeWindow_ = std::make_unique<TStripChartWindow>(scope_);
        hwnd = CreateWindowExA(0, TStripChartWindow::kClass, "", child, layout.Left, layout.Top, layout.Width,
                               layout.Height, parent, id, instance, scopeWindow_.get());
        break;
    }
    if (hwnd == nullptr) throw std::runtime_error("A control of the main window could not be created.");
    controls_.push_back(TControl{layout, win::TWindow(hwnd)});
    win::TWindow(hwnd).SetFont(layout.Id == IdLabel2 ? boldFont_.Get() : font_.Get());
    if (layout.Kind == TKind::Label) SetLabel(layout.Id, layout.Caption);
  }
  // The get-more-RAM buttons cover their slot's list and Get Specification
  // button; until the scan decides, the lists are the ones shown.
  for (int k = 0; k < kSlotPanels; ++k) win::TWindow(Control(IdGetRam1 + k)).Show(false);
  // Buttons lie over the controls they share room with (the narrowed banner's
  // subtitle, a slot's list).
  for (const int id : {int{IdDriversBtn}, int{IdGetRam1}, IdGetRam1 + 1, IdGetRam1 + 2, IdGetRam1 + 3}) {
    SetWindowPos(Control(id), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

HWND TMainDlg::Control(int Id) const {
  for (const TControl& control : controls_) {
    if (control.Layout.Id == Id) return control.Window;
  }
  return nullptr;
}

void TMainDlg::SetLabel(int Id, const std::string& Text) {
  // Labels size themselves to their text, as they are designed to.
  const win::TWindow label(Control(Id));
  label.SetText(Text);
  const HDC dc = GetDC(label);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32A(dc, Text.c_str(), static_cast<int>(Text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, extent.cx, extent.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  label.Invalidate();
}

void TMainDlg::ApplyAnchors() {
  // Each control anchored right follows its parent's change of width:
  // stretched when also anchored left, moved otherwise.
  for (const TControl& control : controls_) {
    const TControlLayout& layout = control.Layout;
    if (!layout.AnchorRight) continue;
    int delta = 0;
    if (layout.Parent == 0) {
      delta = win::TWindow(handle_).ClientSize().cx - designClientWidth_;
    } else {
      for (const TControl& parent : controls_) {
        if (parent.Layout.Id == layout.Parent)
          delta = parent.Window.Bounds().right - parent.Window.Bounds().left - parent.Layout.Width;
      }
    }
    if (layout.AnchorLeft) {
      control.Window.Move(layout.Left, layout.Top, layout.Width + delta, layout.Height);
    } else {
      control.Window.Move(layout.Left + delta, layout.Top, layout.Width, layout.Height);
    }
  }
}

void TMainDlg::AutoSizeColumns(const win::TListView& List) const {
  for (int column = 0; column < List.ColumnCount(); ++column) List.SetColumnWidth(column, LVSCW_AUTOSIZE_USEHEADER);
}

void TMainDlg::AppEvtActivate() {
  // 1. Later activations do nothing, even when this sequence ends early.
  if (started_) return;
  started_ = true;
  startedInSentMessage_ = InSendMessage() != FALSE;
  const std::string title = kApplicationTitle;
  // 2. Where the program is, for the maker's other products.
  WriteMakerValue(title, programPath_);
  // 3. The caption with the version.
  const std::string caption = title + " v" + GetFileVersion(programPath_);
  win::TWindow(handle_).SetText(caption);
  // 4. The banner always paints its own dark colour (TPanelWindow).
  // 5. The log, in the data folder. Its entries of one turn of the message
  // loop are written together, when the loop comes to the posted message:
  // before the program waits for input again, modal loops included. A full
  // message queue refuses the post: the log then writes at once.
  dataFolder_ = GetDataFolder(programPath_, title);
  log_ = std::make_unique<TRunLog>(DataFile(dataFolder_, title + ".log"), 10000, false);
  const HWND window = handle_;
  log_->SetFlushRequest([window] { return PostMessageA(window, kFlushLogMessage, 0, 0) != FALSE; });
  // 6. Its header.
  log_->Add("Starting", LogInfo);
  log_->Add(AnsiFromUtf8(programPath_), LogInfo);
  log_->Add(caption, LogInfo);
  log_->Add("Windows : " + GetWindowsVersionName(), LogInfo);
  log_->Add("64Bits : " + YesNo(IsWow64()), LogInfo);
  log_->Add("Administrator : " + YesNo(IsAdministrator()), LogInfo);
  log_->Add("Portable : " + YesNo(!IsProductInstalled(kInstalledProductPrefix)), LogInfo);
  if (firstArgument_) log_->Add(*firstArgument_, LogInfo);
  // 7. Size units.
  SizeUnitNames = {"B", "KB", "MB", "GB", "TB"};
  // 8. The get-more-RAM captions.
  win::TWindow(Control(IdGetRam1)).SetText(kGetRamCaption);
  for (int k = 1; k < kSlotPanels; ++k) {
    win::TWindow(Control(IdGetRam1 + k)).SetText(win::TWindow(Control(IdGetRam1)).Text());
  }
  // 9. The links file, fetched in the background: its request starts once
  // the scan is shown (StartNetworkJobs), so its thread does not compete with
  // the first paint; it logs nothing before it ends.
  downloader_ = std::make_unique<TFileGrabber>(log_.get());
  // 10, 11. The update checker and a first check, logged here, its request
  // held until the scan is shown.
  updateChecker_ = std::make_unique<TTavoLite>(log_.get(), title);
  updateChecker_->HoldRequests();
  updateCommand_ = std::make_unique<TUpdateCommand>(
      *updateChecker_, log_.get(), programPath_, WindowUpdatePrompts(window, [window](bool enabled) {
        EnableMenuItem(GetMenu(window), CmdCheckforupdate1, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
      }));
  Checkforupdate1Click();
  // 12. The slots. The scan calls into the system's WMI providers, where a
  // fault would end the process: what is logged so far is written first.
  // The network jobs start after it, even when it failed.
  log_->Flush();
  try {
    ScanSlots();
  } catch (...) {
    StartNetworkJobs();
    throw;
  }
  StartNetworkJobs();
}

void TMainDlg::StartNetworkJobs() {
  UpdateWindow(handle_);  // the scan is on the screen before any request starts
  downloader_->Download(LinksFileUrl(), DataFile(dataFolder_, kLinksFileName), nullptr);
  updateChecker_->ReleaseRequests();
}

void TMainDlg::ScanSlots() {
  // The scan runs once per run, so the inventory source is chosen here.
  std::string sourceLine;
  inventorySource_ = InstallInventoryProvider(std::string(), nullptr, &sourceLine);
  if (!sourceLine.empty()) LogAdd(log_.get(), sourceLine, LogInfo);
  // Kept for the advice, built in place (a copy of the model costs code).
  scan_.reset(new TSlotScanModel(ScanSlotModel()));
  const TSlotScanModel& model = *scan_;
  for (const std::string& line : model.LogLines) LogAdd(log_.get(), line, LogInfo);
  ApplyScanModel(model);
  SetFreeSlotTips(model);
  const std::optional<std::string> error = model.Error();
  if (!error) return;
  LogAdd(log_.get(), *error, LogError);
  throw std::runtime_error(*error);
}

void TMainDlg::ApplyScanModel(const TSlotScanModel& model) {
  if (model.SlotsText) SetLabel(IdSlotsLbl, *model.SlotsText);
  if (model.MaxMemText) SetLabel(IdMaxmemLbl, *model.MaxMemText);
  if (model.CurMemText) SetLabel(IdCurmemLbl, *model.CurMemText);
  if (model.MaxMemShown) win::TWindow(Control(IdMaxmemLbl)).Show(*model.MaxMemShown);
  for (int k = 0; k < kSlotPanels; ++k) {
    const TSlotPanelModel& panel = model.Panels[k];
    if (panel.GroupEnabled) win::TWindow(Control(IdSlotGrp1 + k)).Enable(*panel.GroupEnabled);
    const win::TListView list(Control(IdLst1 + k));
    if (panel.Rows) {
      // Filled without a redraw per row; painted once, whole.
      list.SetRedraw(false);
      list.DeleteAllItems();
      list.SetColumnCaption(0, "Parameter");
      list.SetColumnCaption(1, "Value");
      for (const auto& row : *panel.Rows) list.SetSubItem(list.AddItem(row.first), 1, row.second);
      AutoSizeColumns(list);
      list.SetRedraw(true);
      list.Invalidate();
      panels_[k].Rows = *panel.Rows;
    }
    if (panel.Manufacturer) makerTips_[k] = JedecMakerText(*panel.Manufacturer);
    if (panel.Rows && static_cast<std::size_t>(k) < model.Modules.size()) typeTips_[k] = ModuleTip(model.Modules[k]);
    if (panel.ListShown) {
      list.Show(*panel.ListShown);
      panels_[k].ListShown = *panel.ListShown;
    }
    if (panel.GetRamShown) win::TWindow(Control(IdGetRam1 + k)).Show(*panel.GetRamShown);
    if (panel.GetSpecShown) win::TWindow(Control(IdGetSpec1 + k)).Show(*panel.GetSpecShown);
    if (panel.GetSpecEnabled) win::TWindow(Control(IdGetSpec1 + k)).Enable(*panel.GetSpecEnabled);
  }
  if (model.WindowWidth) {
    RECT outer{};
    GetWindowRect(handle_, &outer);
    SetWindowPos(handle_, nullptr, 0, 0, *model.WindowWidth, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TMainDlg::Mem_tmrTimer() {
  const TMemoryStatus status = GetMemoryStatus();
  scope_.SetValue(status.MemoryLoad);
  scope_.Advance();
  if (scopeWindow_) InvalidateRect(scopeWindow_->Handle(), nullptr, FALSE);
  SetLabel(IdPhyusedLbl, "Used : " + FormatSize(static_cast<std::int64_t>(status.TotalPhys - status.AvailPhys)));
  SetLabel(IdPhytotLbl, "Total : " + FormatSize(static_cast<std::int64_t>(status.TotalPhys)));
}

std::string TMainDlg::GetLink(const std::string& Key) const {
  return dimmscope::GetLink(DataFile(GetDataFolder(programPath_, kApplicationTitle), kLinksFileName), Key,
                            ProductPageUrl());
}

void TMainDlg::ExportSlots(const std::string& Separator, const std::string& Extension) {
  const std::string fileName =
      dimmscope::ExportSlots(panels_, Separator, Extension, GetDataFolder(programPath_, kApplicationTitle));
  ShellOpen(fileName);
}

void TMainDlg::FormDestroy() {
  // The downloader and the checker write to the log: they go first.
  updateCommand_.reset();
  updateChecker_.reset();
  downloader_.reset();
  if (log_) log_->Flush();
  log_.reset();
}

void TMainDlg::Quit1Click() { PostMessageA(handle_, WM_CLOSE, 0, 0); }

void TMainDlg::Openlogfile1Click() {
  if (log_) log_->OpenFile();
}

void TMainDlg::Checkforupdate1Click() {
  if (updateCommand_) updateCommand_->Checkforupdate1Click();
}

void TMainDlg::About1Click() {
  if (!aboutDlg_) aboutDlg_ = std::make_unique<TAboutDlg>(handle_);
  aboutDlg_->ShowAbout();
}

void TMainDlg::Upgradeadvice1Click() {
  if (!adviceDlg_) adviceDlg_ = std::make_unique<TAdviceDlg>(handle_);
  // The running system's figures, asked now, only when the scan read this
  // computer (not an inventory file or a dump).
  adviceDlg_->ShowAdvice(scan_ ? UpgradeAdvice(*scan_, LiveMemory(inventorySource_)).Lines
                               : std::vector<std::string>());
}

void TMainDlg::SetFreeSlotTips(const TSlotScanModel& Model) {
  // Only a free slot's button is offered a tip; with none shown the advice
  // is not put into words at start-up.
  std::vector<HWND> buttons;
  for (int k = 0; k < kSlotPanels; ++k) {
    if (win::TWindow(Control(IdGetRam1 + k)).IsShown()) buttons.push_back(Control(IdGetRam1 + k));
  }
  if (buttons.empty()) return;
  const std::string tip = UpgradeAdvice(Model).FreeSlotTip;
  if (tip.empty()) return;
  if (freeSlotTips_ == nullptr) {
    freeSlotTips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle_, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
    // A long answer wraps rather than crossing the screen.
    SendMessageA(freeSlotTips_, TTM_SETMAXTIPWIDTH, 0, 400);
  }
  for (const HWND button : buttons) {
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;  // understood by every comctl32 version
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = handle_;
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    tool.lpszText = const_cast<char*>(tip.c_str());
    SendMessageA(freeSlotTips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void TMainDlg::getSpecClick(int Panel) {
  const std::optional<std::string> text = SpecSearchText(panels_[Panel].Rows);
  if (text) ShellOpen(SearchUrl(*text));
}

// The links file comes over plain HTTP: its address is opened as sent.
void TMainDlg::getRAM_btnClick() { ShellOpenAsIs(GetLink(kRamLinkKey)); }

void TMainDlg::drivers_btnClick() {
  const std::string fesk = ReadMakerValue("Fesk");
  ShellOpen(DriversTarget(fesk, !fesk.empty() && IsNonEmptyFile(fesk), DriversPageUrl()));
}

void TMainDlg::OnCommand(int Id) {
  switch (Id) {
    case CmdQuit1: Quit1Click(); return;
    case CmdExt1: ext1Click(); return;
    case CmdSpreadsheet1: Spreadsheet1Click(); return;
    case CmdOpenlogfile1: Openlogfile1Click(); return;
    case CmdCheckforupdate1: Checkforupdate1Click(); return;
    case CmdAbout1: About1Click(); return;
    case CmdUpgradeAdvice: Upgradeadvice1Click(); return;
    case IdDriversBtn: drivers_btnClick(); return;
    case IdGetSpec1: getSpec1_btnClick(); return;
    case IdGetSpec1 + 1: getSpec2_btnClick(); return;
    case IdGetSpec1 + 2: getSpec3_btnClick(); return;
    case IdGetSpec1 + 3: getSpec4_btnClick(); return;
    default: break;
  }
  // The four get-more-RAM buttons share one handler.
  if (Id >= IdGetRam1 && Id < IdGetRam1 + kSlotPanels) getRAM_btnClick();
}

bool TMainDlg::OnDrawItem(const DRAWITEMSTRUCT& item) {
  const int id = static_cast<int>(item.CtlID);
  const HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool enabled = (item.itemState & ODS_DISABLED) == 0 && IsWindowEnabled(item.hwndItem);
  const std::string caption = DisplayCaption(win::TWindow(item.hwndItem).Text());
  const HGDIOBJ oldFont = SelectObject(dc, font_.Get());
  SetBkMode(dc, TRANSPARENT);
  const int shift = pressed ? 1 : 0;

  if (id == IdDriversBtn) {
    // A flat button on the dark banner: picture, then the caption.
    FillRect(dc, &r, bannerBrush_.Get());
    if (pressed) {
      DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    } else {
      const win::TScopedBrush frame(CreateSolidBrush(RGB(72, 78, 88)));
      FrameRect(dc, &r, frame.Get());
    }
    DrawImageListPicture(dc, kDriverUpdateImage, r.left + 8 + shift, r.top + (r.bottom - r.top - 32) / 2 + shift,
                         enabled);
    RECT text{r.left + 46 + shift, r.top + shift, r.right - 4 + shift, r.bottom + shift};
    SetTextColor(dc, enabled ? kWhite : kSilver);
    DrawTextA(dc, caption.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  } else if (id >= IdGetRam1 && id < IdGetRam1 + kSlotPanels) {
    // The whole empty slot is one flat button: picture over a centred caption.
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    const int pictureTop = r.top + (r.bottom - r.top) / 2 - 36;
    DrawImageListPicture(dc, kGetMoreRamImage, r.left + (r.right - r.left - 32) / 2 + shift, pictureTop + shift,
                         enabled);
    RECT text{r.left + 4 + shift, pictureTop + 40 + shift, r.right - 4 + shift, r.bottom - 4 + shift};
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextA(dc, caption.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  } else if (id >= IdGetSpec1 && id < IdGetSpec1 + kSlotPanels) {
    // A speed button: picture on top, the caption wrapped below.
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    DrawGetSpecPicture(dc, r.left + (r.right - r.left - 32) / 2 + shift, r.top + 10 + shift, enabled);
    RECT text{r.left + 3 + shift, r.top + 48 + shift, r.right - 3 + shift, r.bottom - 3 + shift};
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextA(dc, caption.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  } else {
    SelectObject(dc, oldFont);
    return false;
  }
  // The keyboard's focus, unless the window hides focus cues (the user has not
  // used the keyboard yet, WM_UPDATEUISTATE's UISF_HIDEFOCUS).
  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
    InflateRect(&r, -3, -3);
    DrawFocusRect(dc, &r);
  }
  SelectObject(dc, oldFont);
  return true;
}

bool TMainDlg::OnCtlColorStatic(HDC dc, HWND control, LRESULT& result) {
  const int id = GetDlgCtrlID(control);
  if (!IsBannerChild(id)) {
    // Texts of the groups sit on the face colour of buttons, like the form.
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
  }
  // The banner's texts: the title silver, the subtitle white, on the panel.
  SetTextColor(dc, id == IdLabel2 ? kSilver : kWhite);
  SetBkMode(dc, TRANSPARENT);
  SetBkColor(dc, GetSysColor(COLOR_WINDOWFRAME));
  result = reinterpret_cast<LRESULT>(bannerBrush_.Get());
  return true;
}

const std::string& TMainDlg::InfoTip(int panel, int row) const {
  static const std::string none;
  return row == kManufacturerRow ? makerTips_[panel] : row == kTypeRow ? typeTips_[panel] : none;
}

bool TMainDlg::OnNotify(LPARAM lparam) {
  const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
  const int panel = static_cast<int>(header.idFrom) - IdLst1;
  if (panel < 0 || panel >= kSlotPanels) return false;
  // Only the Manufacturer and Type rows have tips; the list asks in the
  // character set it settled on with its parent.
  if (header.code == LVN_GETINFOTIPA) {
    auto& tip = *reinterpret_cast<NMLVGETINFOTIPA*>(lparam);
    const std::string& text = InfoTip(panel, tip.iItem);
    if (!text.empty()) FillInfoTip(tip.pszText, tip.cchTextMax, text);
    return true;
  }
  if (header.code == LVN_GETINFOTIPW) {
    auto& tip = *reinterpret_cast<NMLVGETINFOTIPW*>(lparam);
    const std::string& text = InfoTip(panel, tip.iItem);
    if (!text.empty()) FillInfoTip(tip.pszText, tip.cchTextMax, AnsiToWide(text));
    return true;
  }
  return false;
}

bool TMainDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      SetTimer(handle_, kMemTimer, kMemTimerInterval, nullptr);
      result = 0;
      return true;
    case WM_ACTIVATEAPP:
      if (wparam != FALSE && startUpOnActivation_ && !startUpPosted_) {
        startUpPosted_ = true;
        PostMessageA(handle_, kStartUpMessage, 0, 0);
      }
      return false;
    case kStartUpMessage:
      AppEvtActivate();
      result = 0;
      return true;
    case kFlushLogMessage:
      if (log_) log_->Flush();
      result = 0;
      return true;
    // The session may end without another turn of the loop: the process can
    // be ended as soon as WM_ENDSESSION returns, before the posted flush.
    case WM_QUERYENDSESSION:
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      if (log_) log_->Flush();  // before the process may be ended
      result = 0;
      return true;
    case WM_TIMER:
      if (wparam != kMemTimer) return false;
      Mem_tmrTimer();
      result = 0;
      return true;
    case WM_COMMAND:
      if (HIWORD(wparam) <= 1 || HIWORD(wparam) == BN_CLICKED) OnCommand(LOWORD(wparam));
      result = 0;
      return true;
    case WM_ACTIVATE:
      // As a dialog does: the control that had the focus gets it back.
      if (LOWORD(wparam) == WA_INACTIVE) {
        if (IsChild(handle_, GetFocus())) lastFocus_ = GetFocus();
        return false;
      }
      if (HIWORD(wparam) != 0 || !IsWindowEnabled(handle_) || !IsChild(handle_, lastFocus_) ||
          !IsWindowVisible(lastFocus_))
        return false;
      SetFocus(lastFocus_);
      result = 0;
      return true;
    case DM_GETDEFID: result = win::FocusedButtonAsDefault(handle_); return true;
    case WM_DRAWITEM: result = OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)) ? TRUE : FALSE; return true;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam), result);
    case WM_NOTIFY: result = 0; return OnNotify(lparam);
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED && !controls_.empty()) ApplyAnchors();
      return false;
    case WM_DESTROY:
      KillTimer(handle_, kMemTimer);
      FormDestroy();
      PostQuitMessage(0);
      result = 0;
      return true;
    default:
      if (message != startUpStateMessage_ || startUpStateMessage_ == 0) return false;
      result = !started_ ? 0 : startedInSentMessage_ ? 2 : 1;
      return true;
  }
}

}  // namespace dimmscope
