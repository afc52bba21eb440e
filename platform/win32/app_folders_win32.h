// What the Windows build of the folders and maker values offers beyond the
// portable declarations: the file layer's one-time choice of interface, and
// the maker values under a key of the caller's choice, so the conformance
// tests can use a key of their own instead of the product's.
#pragma once

#include <string>

#include "support/app_folders.h"

namespace dimmscope {

// Decided once, at the first file operation: whether listing the Windows
// folder through the wide-character search works. It does on every Windows
// this program runs on; otherwise the single-byte calls are used with the
// path in the ANSI code page.
bool WideFileInterface();

// The file-system operations the data-folder choice uses, and the data
// folder for a given application-data folder.
TFolderOps WindowsFolderOps();
std::string GetDataFolderIn(const std::string& AppData, const std::string& ExePath, const std::string& Title);

// WriteMakerValue and ReadMakerValue under the current user's key `KeyPath`.
void WriteMakerValueAt(const std::string& KeyPath, const std::string& Name, const std::string& Value);
std::string ReadMakerValueAt(const std::string& KeyPath, const std::string& Name);

}  // namespace dimmscope
