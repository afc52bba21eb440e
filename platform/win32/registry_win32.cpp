// Registry keys and text values over the wide-character registry calls.
#include "platform/win32/registry_win32.h"

#include <cstring>
#include <utility>
#include <vector>

namespace dimmscope {

LSTATUS TRegKey::Open(HKEY Parent, const std::wstring& SubKey, REGSAM Access) {
  Close();
  return RegOpenKeyExW(Parent, SubKey.c_str(), 0, Access, &key_);
}

LSTATUS TRegKey::Create(HKEY Parent, const std::wstring& SubKey, REGSAM Access) {
  Close();
  return RegCreateKeyExW(Parent, SubKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Access, nullptr, &key_, nullptr);
}

void TRegKey::Close() {
  if (key_ != nullptr) RegCloseKey(key_);
  key_ = nullptr;
}

std::optional<TRegText> ReadRegistryText(HKEY Key, const std::wstring& Name) {
  TRegText result;
  DWORD size = 0;
  LSTATUS status = RegQueryValueExW(Key, Name.c_str(), nullptr, &result.Type, nullptr, &size);
  if (status != ERROR_SUCCESS) return std::nullopt;
  if (result.Type != REG_SZ && result.Type != REG_EXPAND_SZ) return result;
  // The value may grow between the two calls; ask again with the new size.
  std::vector<BYTE> data;
  for (int attempt = 0; attempt < 4; ++attempt) {
    data.assign(static_cast<std::size_t>(size) + sizeof(wchar_t), 0);
    DWORD got = size;
    status = RegQueryValueExW(Key, Name.c_str(), nullptr, &result.Type, data.data(), &got);
    if (status == ERROR_MORE_DATA) {
      size = got;
      continue;
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    if (result.Type != REG_SZ && result.Type != REG_EXPAND_SZ) return result;
    // Stored strings need not end with a terminator, nor have an even length.
    std::wstring text(got / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(&text[0], data.data(), text.size() * sizeof(wchar_t));
    const std::size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    result.Text = std::move(text);
    return result;
  }
  return std::nullopt;
}

LSTATUS WriteRegistryText(HKEY Key, const std::wstring& Name, const std::wstring& Text) {
  const std::size_t bytes = (Text.size() + 1) * sizeof(wchar_t);
  if (bytes > 0xFFFFFFFFu) return ERROR_INVALID_PARAMETER;
  return RegSetValueExW(Key, Name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(Text.c_str()),
                        static_cast<DWORD>(bytes));
}

}  // namespace dimmscope
