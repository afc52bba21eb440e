// The user's locale settings the program's texts follow.
#pragma once

namespace dimmscope {

// Reads the user's time and decimal separators into `TimeSeparator` and
// `DecimalSeparator` (support/text_helpers.h). The program calls it once at
// start, before the first log entry or size text.
void LoadLocaleSettings();

}  // namespace dimmscope
