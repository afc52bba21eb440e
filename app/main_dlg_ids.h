// Control and command identifiers of the main window and its dialogs,
// shared with the end-to-end driver that finds the controls by them.
#pragma once

namespace dimmscope {

enum TMainControlId : int {
  IdTopPnl = 100,
  IdImage1 = 101,
  IdLabel2 = 102,
  IdSubtitleLbl = 103,
  IdDriversBtn = 104,
  IdGeneralGrp = 110,
  IdSystemGrp = 111,
  IdSlotsLbl = 112,
  IdCurmemLbl = 113,
  IdMaxmemLbl = 114,
  IdGroupBox2 = 115,
  IdPhyusedLbl = 116,
  IdPhytotLbl = 117,
  IdScope = 118,
  IdSlotGrp1 = 121,  // 121 to 124: slot1_grp to slot4_grp
  IdLst1 = 131,      // 131 to 134
  IdGetSpec1 = 141,  // 141 to 144
  IdGetRam1 = 151,   // 151 to 154
};

enum TMainCommandId : int {
  CmdQuit1 = 200,
  CmdExt1 = 201,
  CmdSpreadsheet1 = 202,
  CmdOpenlogfile1 = 203,
  CmdCheckforupdate1 = 204,
  CmdAbout1 = 205,
  CmdUpgradeAdvice = 206,
};

enum TAboutControlId : int {
  IdAboutImage1 = 300,
  IdAllGrp = 301,
  IdApplicationGrp = 302,
  IdAppnameLbl = 303,
  IdVersionLbl = 304,
  IdOrvelGrp = 305,
  IdEmailBtn = 306,
  IdWebBtn = 307,
  IdForumBtn = 308,
  IdOkBtn = 309,
};

// The upgrade advice dialog; its Close button is IDCANCEL, which Escape sends.
enum TAdviceControlId : int {
  IdAdviceText = 320,
  IdAdviceCopyBtn = 321,
};

// Window class names, which the driver looks for.
inline constexpr char kMainDlgClass[] = "TMainDlg";
inline constexpr char kAboutDlgClass[] = "TAboutDlg";
inline constexpr char kAdviceDlgClass[] = "TAdviceDlg";
// A registered message the main window answers with how its start-up ran:
// 0 not yet, 1 from its own posted message, 2 inside a message sent from
// another thread (where COM may refuse to call out). Tests ask it.
inline constexpr char kStartUpStateMessage[] = "Dimmscope.StartUpState";

}  // namespace dimmscope
