// The user's separators from the Windows locale settings.
#include "platform/win32/win_api.h"
#include "support/locale_settings.h"
#include "support/text_helpers.h"

namespace dimmscope {
namespace {

// The first character of a locale text, or `Fallback` when there is none.
char LocaleCharacter(LCTYPE Type, char Fallback) {
  char buffer[16] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, Type, buffer, sizeof buffer) <= 1) return Fallback;
  return buffer[0] != '\0' ? buffer[0] : Fallback;
}

}  // namespace

void LoadLocaleSettings() {
  TimeSeparator = LocaleCharacter(LOCALE_STIME, ':');
  DecimalSeparator = LocaleCharacter(LOCALE_SDECIMAL, '.');
}

}  // namespace dimmscope
