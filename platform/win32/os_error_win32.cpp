// System error messages.
#include "platform/win32/os_error_win32.h"

#include "platform/win32/text_win32.h"
#include "support/system_info.h"

namespace dimmscope {

std::string SystemErrorMessage(DWORD Code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, Code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  const std::string prefix = "System Error.  Code: " + std::to_string(Code) + ".";
  return text.empty() ? prefix : prefix + "\r\n" + WideToAnsi(text);
}

void ThrowLastOSError() {
  const DWORD code = GetLastError();
  throw EOSError(code, SystemErrorMessage(code));
}

}  // namespace dimmscope
