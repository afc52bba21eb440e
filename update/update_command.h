// The main window's side of the update check: the "Check for update..." menu
// command and what happens when a check ends. The window supplies its menu
// item, its question box and the shell through callbacks, so this logic runs
// (and is tested) without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "dialogs/msg_dlg.h"
#include "support/run_log.h"
#include "update/tavo_lite.h"

namespace dimmscope {

inline constexpr char kNewVersionQuestion[] =
    "A new version of Dimmscope is available. Do you want to download update now ?";

struct TUpdatePrompts {
  // Enables or disables the "Check for update..." menu item.
  std::function<void(bool Enabled)> EnableMenuItem;
  // Asks a Yes/No question; returns AnswerYes or another answer.
  std::function<std::int32_t(const std::string& Question)> Ask;
  // Opens a web address; failures are ignored.
  std::function<void(const std::string& Address)> Open;
};

// The window's wiring: the question through AskQuestion over `Owner`, the
// address through ShellOpen.
TUpdatePrompts WindowUpdatePrompts(TWindowHandle Owner, std::function<void(bool Enabled)> EnableMenuItem);

class TUpdateCommand {
 public:
  // Nothing is owned; all must outlive the command.
  TUpdateCommand(TTavoLite& Checker, TRunLog* Log, std::string ExePath, TUpdatePrompts Prompts);

  // The menu command (also run once at first activation): nothing while a
  // check runs, otherwise disables the menu item and starts a check.
  void Checkforupdate1Click();
  // The checker's OnDone: offers the download of a newer version, logs an
  // up-to-date one, and enables the menu item again. The question is modal
  // and runs a message loop, in which the window may close and free this
  // command and the checker: then nothing more happens after the answer.
  void UpdateCheckDone(TTavoLite& Sender);

  // Checks for this product instead of reading the executable's version
  // resource, for systems whose executables carry none.
  void SetProduct(const TProductIdentity& Product) {
    product_ = Product;
    hasProduct_ = true;
  }

 private:
  TTavoLite& checker_;
  TRunLog* log_;
  std::string exePath_;
  TUpdatePrompts prompts_;
  TProductIdentity product_;
  bool hasProduct_ = false;
  // Expires with the command: what a call still on the stack checks after
  // the question before it touches the command again.
  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

}  // namespace dimmscope
