// What the Windows file layer opens beyond the paths it is given.
#pragma once

#include <string>

namespace dimmscope {

// The temporary file an atomic replace of `Path` writes before moving it into
// place: a name beside the destination that no other writer picks.
std::wstring AtomicReplaceTempPath(const std::string& Path);

}  // namespace dimmscope
