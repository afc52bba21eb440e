// UTF-8, UTF-16 and ANSI conversions over the system's code-page converters.
#include "platform/win32/text_win32.h"

#include <climits>

#include "platform/win32/win_api.h"
#include "support/ansi_text.h"

namespace dimmscope {
namespace {

std::wstring ToWide(UINT CodePage, const std::string& Text) {
  if (Text.empty() || Text.size() > static_cast<std::size_t>(INT_MAX)) return std::wstring();
  const int length = static_cast<int>(Text.size());
  const int needed = MultiByteToWideChar(CodePage, 0, Text.data(), length, nullptr, 0);
  if (needed <= 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(needed), L'\0');
  const int written = MultiByteToWideChar(CodePage, 0, Text.data(), length, &out[0], needed);
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

std::string FromWide(UINT CodePage, const std::wstring& Text) {
  if (Text.empty() || Text.size() > static_cast<std::size_t>(INT_MAX)) return std::string();
  const int length = static_cast<int>(Text.size());
  const int needed = WideCharToMultiByte(CodePage, 0, Text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string out(static_cast<std::size_t>(needed), '\0');
  const int written = WideCharToMultiByte(CodePage, 0, Text.data(), length, &out[0], needed, nullptr, nullptr);
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

std::wstring Utf8ToWide(const std::string& Text) { return ToWide(CP_UTF8, Text); }
std::string WideToUtf8(const std::wstring& Text) { return FromWide(CP_UTF8, Text); }
std::wstring AnsiToWide(const std::string& Text) { return ToWide(CP_ACP, Text); }
std::string WideToAnsi(const std::wstring& Text) { return FromWide(CP_ACP, Text); }

std::string AnsiFromUtf8(const std::string& Text) { return WideToAnsi(Utf8ToWide(Text)); }
std::string Utf8FromAnsi(const std::string& Text) { return WideToUtf8(AnsiToWide(Text)); }

std::wstring WidePath(const std::string& Utf8Path) {
  std::wstring path = Utf8ToWide(Utf8Path);
  // MAX_PATH less room for an 8.3 name, the limit CreateDirectory keeps to.
  constexpr std::size_t kClassicLimit = MAX_PATH - 12;
  if (path.size() < kClassicLimit) return path;
  const bool drive = path.size() >= 3 && path[1] == L':' && IsSlash(path[2]);
  const bool unc = path.size() >= 3 && IsSlash(path[0]) && IsSlash(path[1]) && path[2] != L'?' && path[2] != L'.';
  if (!drive && !unc) return path;  // relative, or already in a device form
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  // The long form is taken literally, so "." and ".." parts would not resolve.
  if (path.find(L"\\.\\") != std::wstring::npos || path.find(L"\\..\\") != std::wstring::npos) return path;
  return drive ? L"\\\\?\\" + path : L"\\\\?\\UNC\\" + path.substr(2);
}

}  // namespace dimmscope
