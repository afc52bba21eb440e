// The POSIX build writes the separators its texts are tested with.
#include "support/locale_settings.h"
#include "support/text_helpers.h"

namespace dimmscope {

void LoadLocaleSettings() {
  TimeSeparator = ':';
  DecimalSeparator = '.';
}

}  // namespace dimmscope
