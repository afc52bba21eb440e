// The application's general error handler: every procedure or callback that
// Windows calls (window procedures, the HTTP completion window) catches what
// its handler throws and passes the message here, since an exception must
// never unwind through the system's frames.
#pragma once

#include <string>

namespace dimmscope {
namespace win {

// The caption of the handler's message box.
void SetApplicationTitle(const std::string& Title);
const std::string& ApplicationTitle();
// Shows the message in a message box over the active window; the program
// runs on. A message that comes while one is shown is dropped.
void ShowException(const char* Message);

}  // namespace win
}  // namespace dimmscope
