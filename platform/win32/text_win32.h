// Text conversions of the Windows layer: the core's paths are UTF-8, its
// texts ANSI; the system's wide-character calls want UTF-16.
#pragma once

#include <string>

namespace dimmscope {

// Invalid UTF-8 sequences become U+FFFD; an empty result on a text too long
// for the system's converters (over 2 GB).
std::wstring Utf8ToWide(const std::string& Text);
std::string WideToUtf8(const std::wstring& Text);
// The ANSI code page; characters it lacks become its default character.
std::string WideToAnsi(const std::wstring& Text);
std::wstring AnsiToWide(const std::string& Text);

// A path for the wide file calls: UTF-8 to UTF-16, and an absolute path too
// long for the classic limit gets the "\\?\" form (forward slashes become
// backslashes first, since that form takes the path literally).
std::wstring WidePath(const std::string& Utf8Path);

}  // namespace dimmscope
