// What the Windows build of the environment queries offers beyond the
// portable declarations: the installed-program scan over places of the
// caller's choice, so the conformance tests can scan a key of their own.
#pragma once

#include <string>
#include <vector>

#include "support/system_info.h"

namespace dimmscope {

// ListInstalledPrograms over `Places`; `Wow64` selects the 64-bit registry view.
void ListInstalledProgramsIn(const std::vector<TUninstallPlace>& Places, bool Wow64, std::vector<std::string>& Names,
                             std::vector<std::string>& Errors);

}  // namespace dimmscope
