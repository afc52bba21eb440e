// Registry access of the Windows layer: an owning key handle and reading a
// text value whatever its stored length, terminator or not.
#pragma once

#include <optional>
#include <string>

#include "platform/win32/win_api.h"

namespace dimmscope {

// Owns an open registry key.
class TRegKey {
 public:
  TRegKey() = default;
  ~TRegKey() { Close(); }
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;

  // RegOpenKeyExW; returns its result and keeps the key on success.
  LSTATUS Open(HKEY Parent, const std::wstring& SubKey, REGSAM Access);
  // RegCreateKeyExW: opens the key, creating it when missing.
  LSTATUS Create(HKEY Parent, const std::wstring& SubKey, REGSAM Access);
  void Close();
  HKEY Get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

 private:
  HKEY key_ = nullptr;
};

// A value's text and stored type: REG_SZ and REG_EXPAND_SZ give their text
// (not expanded), any other type no text. Nothing when the value is missing
// or cannot be read.
struct TRegText {
  DWORD Type = REG_NONE;
  std::optional<std::wstring> Text;
};
std::optional<TRegText> ReadRegistryText(HKEY Key, const std::wstring& Name);

// Writes `Text` as a plain string value (REG_SZ).
LSTATUS WriteRegistryText(HKEY Key, const std::wstring& Name, const std::wstring& Text);

}  // namespace dimmscope
