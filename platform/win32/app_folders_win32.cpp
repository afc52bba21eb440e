// The data folder, the file tests and the maker's registry values over the
// wide-character Windows calls. Paths arrive in UTF-8, so a roaming profile
// folder named outside the ANSI code page (a Cyrillic user name on a Western
// system) still works.
#include "platform/win32/app_folders_win32.h"

#include <stdexcept>

#include "platform/win32/registry_win32.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "support/system_info.h"

namespace dimmscope {
namespace {

bool IsDelimiter(char c) { return c == '\\' || c == '/'; }

// "\", "C:\" or "\\?\C:\": dropping their delimiter would change what they name.
bool IsRootLike(const std::string& Path) {
  const std::string rest = Path.compare(0, 4, "\\\\?\\") == 0 ? Path.substr(4) : Path;
  return rest.size() <= 1 || (rest.size() == 3 && rest[1] == ':');
}

// The full path in the long form that lifts the classic length limit. The
// long form is taken literally, so the path is made absolute and normalised
// ("/", ".", "..") by the system first.
std::wstring LongWidePath(const std::string& Path) {
  const std::wstring wide = Utf8ToWide(Path);
  std::string full = Path;
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed > 0) {
    std::wstring buffer(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, &buffer[0], nullptr);
    if (length > 0 && length < needed) full = WideToUtf8(buffer.substr(0, length));
  }
  return Utf8ToWide(LongPathForm(full));
}

std::string AnsiPath(const std::string& Path) { return WideToAnsi(Utf8ToWide(Path)); }

// One directory entry, found by searching for its exact name.
struct TEntry {
  bool Found = false;
  bool IsFolder = false;
  std::uint64_t Size = 0;
};

std::uint64_t Combine(DWORD High, DWORD Low) { return (static_cast<std::uint64_t>(High) << 32) | Low; }

TEntry FindEntry(std::string Path) {
  TEntry entry;
  // A wildcard would find some other entry.
  if (Path.empty() || Path.find_first_of("*?") != std::string::npos) return entry;
  // The search finds nothing for a name ending with a delimiter; such a
  // name can only be a folder.
  const bool mustBeFolder = IsDelimiter(Path.back());
  while (Path.size() > 1 && IsDelimiter(Path.back()) && !IsRootLike(Path)) Path.pop_back();
  DWORD attributes = 0;
  if (WideFileInterface()) {
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(LongWidePath(Path).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return entry;
    FindClose(find);
    attributes = data.dwFileAttributes;
    entry.Size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
  } else {
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA(AnsiPath(Path).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return entry;
    FindClose(find);
    attributes = data.dwFileAttributes;
    entry.Size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
  }
  entry.IsFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.Found = entry.IsFolder || !mustBeFolder;
  return entry;
}

std::string ShellAppDataFolder() {
  wchar_t folder[MAX_PATH] = {};
  // 0x1A: the roaming application-data folder.
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return std::string();
  return WideToUtf8(folder);
}

// Restores the redirection however the test in between ends.
class TRedirectionOff {
 public:
  TRedirectionOff() { SetWow64Redirection(true); }
  ~TRedirectionOff() { SetWow64Redirection(false); }
  TRedirectionOff(const TRedirectionOff&) = delete;
  TRedirectionOff& operator=(const TRedirectionOff&) = delete;
};

}  // namespace

bool WideFileInterface() {
  static const bool available = [] {
    wchar_t folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    std::wstring pattern(folder, length);
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += L"*.*";
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
  }();
  return available;
}

bool MakeDir(const std::string& Path) {
  if (Path.empty()) return false;
  std::string path = Path;
  // The system takes the long form literally, trailing delimiter included.
  while (path.size() > 1 && IsDelimiter(path.back()) && !IsRootLike(path)) path.pop_back();
  if (WideFileInterface()) return CreateDirectoryW(LongWidePath(path).c_str(), nullptr) != FALSE;
  return CreateDirectoryA(AnsiPath(path).c_str(), nullptr) != FALSE;
}

bool IsExistingFile(const std::string& Path) {
  const TEntry entry = FindEntry(Path);
  return entry.Found && !entry.IsFolder;
}

bool IsExistingDir(const std::string& Path) {
  const TEntry entry = FindEntry(Path);
  return entry.Found && entry.IsFolder;
}

std::uint64_t GetFileSize64(const std::string& Path) {
  if (Path.empty()) return 0;
  if (WideFileInterface()) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(LongWidePath(Path).c_str(), GetFileExInfoStandard, &data)) {
      return Combine(data.nFileSizeHigh, data.nFileSizeLow);
    }
  } else {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(AnsiPath(Path).c_str(), GetFileExInfoStandard, &data)) {
      return Combine(data.nFileSizeHigh, data.nFileSizeLow);
    }
  }
  const TEntry entry = FindEntry(Path);
  return entry.Found ? entry.Size : 0;
}

bool IsNonEmptyFile(const std::string& Path) {
  const TRedirectionOff redirectionOff;
  return IsExistingFile(Path) && GetFileSize64(Path) > 0;
}

TFolderOps WindowsFolderOps() { return TFolderOps{'\\', "\\:", MakeDir, IsExistingDir}; }

std::string GetDataFolderIn(const std::string& AppData, const std::string& ExePath, const std::string& Title) {
  return ChooseDataFolder(ExePath, Title, AppData, WindowsFolderOps());
}

std::string GetDataFolder(const std::string& ExePath, const std::string& Title) {
  return GetDataFolderIn(ShellAppDataFolder(), ExePath, Title);
}

void WriteMakerValueAt(const std::string& KeyPath, const std::string& Name, const std::string& Value) {
  TRegKey key;
  if (key.Create(HKEY_CURRENT_USER, Utf8ToWide(KeyPath), KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
  (void)WriteRegistryText(key.Get(), Utf8ToWide(Name), Utf8ToWide(Value));
}

std::string ReadMakerValueAt(const std::string& KeyPath, const std::string& Name) {
  TRegKey key;
  if (key.Create(HKEY_CURRENT_USER, Utf8ToWide(KeyPath), KEY_ALL_ACCESS) != ERROR_SUCCESS) return std::string();
  const auto value = ReadRegistryText(key.Get(), Utf8ToWide(Name));
  if (!value) return std::string();
  if (!value->Text) throw std::runtime_error("Invalid data type for '" + Name + "'");
  return WideToUtf8(*value->Text);
}

void WriteMakerValue(const std::string& Name, const std::string& Value) {
  WriteMakerValueAt(kMakerKeyPath, Name, Value);
}

std::string ReadMakerValue(const std::string& Name) { return ReadMakerValueAt(kMakerKeyPath, Name); }

}  // namespace dimmscope
