// The environment queries over the Windows calls: version, WOW64, the
// Administrators group, uninstall registrations, the file-system redirection.
#include "platform/win32/system_info_win32.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/win32/os_error_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/system_library_win32.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"

namespace dimmscope {
namespace {

bool QueryVersion(OSVERSIONINFOA& Info) {
  static_assert(sizeof(OSVERSIONINFOA) == 148, "the version structure the system expects");
  std::memset(&Info, 0, sizeof Info);
  Info.dwOSVersionInfoSize = sizeof Info;
  return GetVersionExA(&Info) != FALSE;
}

// The workstation service knows the real version even where the version
// query is told a compatibility answer.
void AskWorkstation(TWindowsVersionFacts& Facts) {
  using TNetWkstaGetInfo = NET_API_STATUS(WINAPI*)(LMSTR, DWORD, LPBYTE*);
  using TNetApiBufferFree = NET_API_STATUS(WINAPI*)(LPVOID);
  const TSystemLibrary netapi(L"netapi32.dll");
  const auto getInfo = netapi.Function<TNetWkstaGetInfo>("NetWkstaGetInfo");
  const auto freeBuffer = netapi.Function<TNetApiBufferFree>("NetApiBufferFree");
  if (getInfo == nullptr || freeBuffer == nullptr) return;
  LPBYTE buffer = nullptr;
  if (getInfo(nullptr, 100, &buffer) == 0 && buffer != nullptr) {
    const auto* info = reinterpret_cast<const WKSTA_INFO_100*>(buffer);
    Facts.WorkstationKnown = true;
    Facts.WorkstationMajor = info->wki100_ver_major;
    Facts.WorkstationMinor = info->wki100_ver_minor;
  }
  if (buffer != nullptr) freeBuffer(buffer);
}

class THandle {
 public:
  THandle() = default;
  ~THandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE* Put() { return &handle_; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

class TSid {
 public:
  TSid() = default;
  ~TSid() {
    if (sid_ != nullptr) FreeSid(sid_);
  }
  TSid(const TSid&) = delete;
  TSid& operator=(const TSid&) = delete;
  PSID* Put() { return &sid_; }
  PSID Get() const { return sid_; }

 private:
  PSID sid_ = nullptr;
};

HKEY RootKey(TRegistryRoot Root) { return Root == TRegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// The key paths of the scan end with a backslash; the system call gets them without.
std::wstring KeyName(const std::string& KeyPath) {
  std::string path = KeyPath;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return Utf8ToWide(path);
}

class TWindowsUninstallRegistry : public TUninstallRegistry {
 public:
  explicit TWindowsUninstallRegistry(REGSAM Access) : access_(Access) {}

  bool KeyExists(TRegistryRoot Root, const std::string& KeyPath) override {
    TRegKey key;
    return key.Open(RootKey(Root), KeyName(KeyPath), access_) != ERROR_FILE_NOT_FOUND;
  }

  std::optional<std::vector<TUninstallEntry>> ReadEntries(TRegistryRoot Root, const std::string& KeyPath) override {
    TRegKey key;
    if (key.Open(RootKey(Root), KeyName(KeyPath), access_) != ERROR_SUCCESS) return std::nullopt;
    std::vector<TUninstallEntry> entries;
    std::vector<wchar_t> name(256);
    for (DWORD index = 0;; ++index) {
      DWORD length = static_cast<DWORD>(name.size());
      const LSTATUS status = RegEnumKeyExW(key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_MORE_DATA && name.size() < 32768) {
        name.resize(32768);  // the longest key name the registry allows, and its terminator
        --index;
        continue;
      }
      if (status != ERROR_SUCCESS) break;
      const std::wstring subkeyName(name.data(), length);
      TUninstallEntry entry;
      entry.SubkeyName = WideToAnsi(subkeyName);
      TRegKey subkey;
      entry.Opened = subkey.Open(key.Get(), subkeyName, access_) == ERROR_SUCCESS;
      if (entry.Opened) {
        const auto value = ReadRegistryText(subkey.Get(), L"DisplayName");
        if (value && value->Type == REG_SZ && value->Text) entry.DisplayName = WideToAnsi(*value->Text);
      }
      entries.push_back(std::move(entry));
    }
    return entries;
  }

 private:
  REGSAM access_;
};

}  // namespace

void HardenDllSearch() {
  using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
  const auto setDefault = LoadedModuleFunction<TSetDefaultDllDirectories>(L"kernel32.dll", "SetDefaultDllDirectories");
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  // Older systems: at least take the current folder out of the search.
  SetDllDirectoryW(L"");
}

std::string GetWindowsVersionName() {
  TWindowsVersionFacts facts;
  OSVERSIONINFOA info;
  if (QueryVersion(info)) {
    facts.VersionKnown = true;
    facts.PlatformId = info.dwPlatformId;
    facts.Major = info.dwMajorVersion;
    facts.Minor = info.dwMinorVersion;
    facts.ServicePack.assign(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
    if (facts.PlatformId == VER_PLATFORM_WIN32_NT) AskWorkstation(facts);
  }
  return WindowsVersionName(facts);
}

bool IsWow64() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) ThrowLastOSError();
  using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64Process =
      reinterpret_cast<TIsWow64Process>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  if (isWow64Process == nullptr) return false;
  BOOL wow64 = FALSE;
  if (!isWow64Process(GetCurrentProcess(), &wow64)) ThrowLastOSError();
  return wow64 != FALSE;
}

bool IsAdministrator() {
  OSVERSIONINFOA info;
  // The 95/98/ME family has no user groups: everyone may do everything.
  if (QueryVersion(info) && info.dwPlatformId != VER_PLATFORM_WIN32_NT) return true;

  THandle token;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.Put())) {
    if (GetLastError() != ERROR_NO_TOKEN) return false;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return false;
  }

  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  TSid administrators;
  if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                administrators.Put())) {
    ThrowLastOSError();
  }

  DWORD size = 0;
  if (GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    ThrowLastOSError();
  }
  // Whole pointers, so the group list inside is aligned as it needs.
  std::vector<std::uintptr_t> buffer(size / sizeof(std::uintptr_t) + 1);
  DWORD got = 0;
  if (!GetTokenInformation(token.Get(), TokenGroups, buffer.data(),
                           static_cast<DWORD>(buffer.size() * sizeof buffer[0]), &got)) {
    ThrowLastOSError();
  }
  const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  // Never trust a count beyond what the buffer holds.
  const std::size_t room =
      (buffer.size() * sizeof buffer[0] - offsetof(TOKEN_GROUPS, Groups)) / sizeof(SID_AND_ATTRIBUTES);
  const std::size_t count = list->GroupCount < room ? list->GroupCount : room;
  std::vector<TTokenGroup> groups;
  groups.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const SID_AND_ATTRIBUTES& group = list->Groups[i];
    TTokenGroup entry;
    entry.IsAdministrators = group.Sid != nullptr && IsValidSid(group.Sid) && EqualSid(group.Sid, administrators.Get());
    entry.Attributes = group.Attributes;
    groups.push_back(entry);
  }
  return AdministratorsInGroups(groups);
}

void ListInstalledProgramsIn(const std::vector<TUninstallPlace>& Places, bool Wow64, std::vector<std::string>& Names,
                             std::vector<std::string>& Errors) {
  // A 32-bit process must ask for the 64-bit view to see 64-bit programs
  // (0x20119 instead of 0x20019).
  TWindowsUninstallRegistry registry(Wow64 ? (KEY_READ | KEY_WOW64_64KEY) : KEY_READ);
  ComposeInstalledPrograms(registry, Places, Wow64, Names, Errors);
}

void ListInstalledPrograms(std::vector<std::string>& Names, std::vector<std::string>& Errors) {
  ListInstalledProgramsIn(UninstallPlaces(), IsWow64(), Names, Errors);
}

bool IsProductInstalled(const std::string& Prefix) {
  std::vector<std::string> names, errors;
  ListInstalledPrograms(names, errors);
  return AnyStartsText(names, Prefix);
}

std::string SysNativePath(const std::string& Path) {
  wchar_t folder[MAX_PATH] = {};
  std::string system;
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    system = WideToUtf8(folder);
  }
  return SysNativePathFor(Path, system, !system.empty() && IsWow64());
}

std::string EnvironmentValue(const char* Name) {
  const std::wstring name = Utf8ToWide(Name);
  std::wstring value(GetEnvironmentVariableW(name.c_str(), nullptr, 0), L'\0');
  if (value.empty()) return std::string();
  const DWORD length = GetEnvironmentVariableW(name.c_str(), &value[0], static_cast<DWORD>(value.size()));
  if (length == 0 || length >= value.size()) return std::string();
  value.resize(length);
  return WideToUtf8(value);
}

bool SetWow64Redirection(bool Disabled) {
  using TDisable = BOOL(WINAPI*)(PVOID*);
  using TEnable = BOOLEAN(WINAPI*)(BOOLEAN);
  const auto disable = LoadedModuleFunction<TDisable>(L"kernel32.dll", "Wow64DisableWow64FsRedirection");
  const auto enable = LoadedModuleFunction<TEnable>(L"kernel32.dll", "Wow64EnableWow64FsRedirection");
  if (disable == nullptr || enable == nullptr) return true;  // 32-bit Windows without these: nothing to switch
  if (Disabled) {
    PVOID previous = nullptr;  // not kept: the switch back turns redirection on, whatever it was
    (void)disable(&previous);
  } else {
    (void)enable(TRUE);
  }
  return true;
}

}  // namespace dimmscope
