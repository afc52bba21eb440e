// Conversions between UTF-8 (how paths travel through the core) and the
// system's single-byte ANSI code page (how the program's texts are stored and
// written to its files). On systems without an ANSI code page both are the
// identity.
#pragma once

#include <string>

namespace dimmscope {

// Characters the code page lacks become its default character ('?').
std::string AnsiFromUtf8(const std::string& Text);
std::string Utf8FromAnsi(const std::string& Text);

}  // namespace dimmscope
