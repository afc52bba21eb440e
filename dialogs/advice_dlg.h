// The upgrade advice dialog: the advice's sentences, a button that copies
// them to the clipboard and one that closes the dialog (Escape too). Built
// when first shown, shown modally from the main window's menu. Windows only.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/controls.h"

namespace dimmscope {

class TAdviceDlg : public win::TWindowProc {
 public:
  explicit TAdviceDlg(HWND Owner);
  ~TAdviceDlg() override;

  // Shows Lines, one sentence a line, until the dialog is closed.
  void ShowAdvice(const std::vector<std::string>& Lines);
  void copy_btnClick();

 protected:
  bool OnMessage(UINT Message, WPARAM WParam, LPARAM LParam, LRESULT& Result) override;

 private:
  HWND owner_;
  HWND text_ = nullptr;
  HWND copy_ = nullptr;
  HWND close_ = nullptr;
  win::TScopedFont font_;
  std::string lines_;  // as shown and copied, each line ending in CR LF
  bool modal_ = false;
};

}  // namespace dimmscope
