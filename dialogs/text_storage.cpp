// Run-time texts by their designed key; see text_storage.h.
#include "dialogs/text_storage.h"

#include "support/text_helpers.h"

namespace dimmscope {

namespace {
const char kUnused[] = "unused";
}

TTextStorage::TTextStorage(std::vector<std::string> Lines) : items_(std::move(Lines)) { Loaded(); }

std::string TTextStorage::GetText(const std::string& Key) const {
  std::string result = Key;
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if (!SameText(keys_[i], Key)) continue;
    // Fewer texts in use than keys: the key stands for the missing text.
    if (i < items_.size()) result = items_[i];
    break;
  }
  if (result == kUnused) result = Key;
  return result;
}

}  // namespace dimmscope
