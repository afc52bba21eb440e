// The update check as the main window drives it.
#include "update/update_command.h"

#include "support/shell.h"
#include "update/maker_urls.h"

namespace dimmscope {

TUpdatePrompts WindowUpdatePrompts(TWindowHandle Owner, std::function<void(bool Enabled)> EnableMenuItem) {
  TUpdatePrompts prompts;
  prompts.EnableMenuItem = std::move(EnableMenuItem);
  prompts.Ask = [Owner](const std::string& Question) { return AskQuestion(Owner, Question); };
  prompts.Open = [](const std::string& Address) { (void)ShellOpen(Address); };
  return prompts;
}

TUpdateCommand::TUpdateCommand(TTavoLite& Checker, TRunLog* Log, std::string ExePath, TUpdatePrompts Prompts)
    : checker_(Checker), log_(Log), exePath_(std::move(ExePath)), prompts_(std::move(Prompts)) {}

void TUpdateCommand::Checkforupdate1Click() {
  if (checker_.Busy()) return;
  if (prompts_.EnableMenuItem) prompts_.EnableMenuItem(false);
  LogAdd(log_, "Self update check...", LogInfo);
  auto done = [this](TTavoLite& Sender) { UpdateCheckDone(Sender); };
  if (hasProduct_) {
    checker_.Check(product_, done);
  } else {
    checker_.Check(exePath_, done);
  }
}

void TUpdateCommand::UpdateCheckDone(TTavoLite& Sender) {
  if (Sender.NewVersion()) {
    LogAdd(log_, "New version of Dimmscope is detected", LogInfo);
    // While the question is open the window can be closed (from the taskbar,
    // by taskkill, by the Restart Manager) and destroy this command, the
    // question's own callback included. Only copies are used until the
    // token shows the command still lives; if not, the program is ending and
    // the answer of a box torn down with its owner means nothing.
    const std::weak_ptr<const bool> alive = alive_;
    const auto ask = prompts_.Ask;
    const std::int32_t answer = ask ? ask(kNewVersionQuestion) : AnswerNo;
    if (alive.expired()) return;
    if (answer == AnswerYes && prompts_.Open) prompts_.Open(HomePageUrl());
  } else if (Sender.ReplyValid()) {
    LogAdd(log_, "Dimmscope is already up to date.", LogInfo);
  }
  if (prompts_.EnableMenuItem) prompts_.EnableMenuItem(true);
}

}  // namespace dimmscope
