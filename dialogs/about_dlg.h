// The About dialog: the application's name and version and the maker's three
// contact buttons. Created when first shown, shown modally from the menu.
// Windows only.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "dialogs/text_storage.h"
#include "platform/win32/controls.h"

namespace dimmscope {

class TAboutDlg : public win::TWindowProc {
 public:
  explicit TAboutDlg(HWND Owner);
  ~TAboutDlg() override;

  // Fills the run-time texts and shows the dialog modally; true when closed
  // with the Ok button.
  bool ShowAbout();

  void email_btnClick();
  void web_btnClick();
  void forum_btnClick();

 protected:
  bool OnMessage(UINT Message, WPARAM WParam, LPARAM LParam, LRESULT& Result) override;

 private:
  HWND Control(int Id) const;
  void CreateControls();
  void EndModal(bool Ok);

  HWND owner_;
  std::vector<std::pair<int, HWND>> controls_;
  TTextStorage TS_about;
  win::TScopedFont font_;
  bool modal_ = false;
  bool result_ = false;
};

}  // namespace dimmscope
