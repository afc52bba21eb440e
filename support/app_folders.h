// Where the program keeps its files, the maker's registry values, and the few
// file-system tests the rest of the program relies on. Paths are UTF-8 on
// every system; the Windows layer hands them to the wide-character calls, so
// a profile folder outside the ANSI code page works. The pure rules live in
// app_folders.cpp, the system calls in platform/<system>/app_folders_<system>.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace dimmscope {

// The maker's folder under the user's application-data folder, and the
// registry key (under the current user) holding the maker's values.
constexpr char kMakerName[] = "Orvel Studio";
constexpr char kMakerKeyPath[] = "SOFTWARE\\Orvel Studio";

// ---------------------------------------------------------------------------
// Platform services

// <AppData>\Orvel Studio\<Title>\, created on demand; the folder of `ExePath`
// when that folder cannot be had. Always ends with the path delimiter.
std::string GetDataFolder(const std::string& ExePath, const std::string& Title);
// Creates one folder level (the parent must exist); true when it was created.
bool MakeDir(const std::string& Path);
// An entry of that exact name exists and is not a folder.
bool IsExistingFile(const std::string& Path);
// An entry of that exact name exists and is a folder.
bool IsExistingDir(const std::string& Path);
// 0 when the file cannot be found.
std::uint64_t GetFileSize64(const std::string& Path);
// An existing file with at least one byte, tested with the 32-bit
// file-system redirection off so a path into the 64-bit system folder is
// tested as written.
bool IsNonEmptyFile(const std::string& Path);
// The maker's values; failures to open the store are silent (nothing
// written, empty text read). A value of another type than text throws.
void WriteMakerValue(const std::string& Name, const std::string& Value);
std::string ReadMakerValue(const std::string& Name);

// ---------------------------------------------------------------------------
// The rules, free of system calls

// The folder part of `Path`: everything up to and including the last of the
// `Separators`, with `Delimiter` appended when it does not end with one. A
// bare file name gives the current folder ("." and the delimiter), not the
// root of the drive.
std::string FolderOfPath(const std::string& Path, const std::string& Separators, char Delimiter);
// `Folder` with `Delimiter` appended when it does not end with one; "" stays "".
std::string WithTrailingDelimiter(const std::string& Folder, char Delimiter);

// What the data-folder choice needs of the file system.
struct TFolderOps {
  char Delimiter;
  std::string ExeSeparators;  // the characters that end the folder part of a program path
  std::function<bool(const std::string&)> MakeDir;
  std::function<bool(const std::string&)> IsExistingDir;
};
// The data folder for the user's application-data folder `AppData` (empty
// when the system has none).
std::string ChooseDataFolder(const std::string& ExePath, const std::string& Title, const std::string& AppData,
                             const TFolderOps& Ops);

// The form of an absolute Windows path that lifts the classic length limit:
// "\\?\" + path, or "\\?\UNC\" + path less its leading "\\" for a network
// path. Paths already in a device form ("\\?\", "\\.\") and relative paths
// are returned unchanged, since the prefix would change their meaning.
std::string LongPathForm(const std::string& Path);

}  // namespace dimmscope
