// POSIX systems have no ANSI code page: texts pass unchanged.
#include "support/ansi_text.h"

namespace dimmscope {

std::string AnsiFromUtf8(const std::string& Text) { return Text; }
std::string Utf8FromAnsi(const std::string& Text) { return Text; }

}  // namespace dimmscope
