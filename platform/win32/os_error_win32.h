// System error codes turned into the program's error type, with the text the
// system gives for them (in the ANSI code page, as every text the user sees).
#pragma once

#include <string>

#include "platform/win32/win_api.h"

namespace dimmscope {

std::string SystemErrorMessage(DWORD Code);
// Throws EOSError for GetLastError().
[[noreturn]] void ThrowLastOSError();

}  // namespace dimmscope
