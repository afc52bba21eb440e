// The texts a form puts together at run time, looked up by the text as the
// form was designed, so a translation of Items changes them without touching
// the code that asks for them.
#pragma once

#include <string>
#include <vector>

namespace dimmscope {

class TTextStorage {
 public:
  TTextStorage() = default;
  // A form's texts as designed: they are both the texts in use and the keys.
  explicit TTextStorage(std::vector<std::string> Lines);

  const std::vector<std::string>& Items() const { return items_; }
  const std::vector<std::string>& Keys() const { return keys_; }
  // Replaces the texts in use (a translation); the keys stay as loaded.
  void SetItems(std::vector<std::string> Lines) { items_ = std::move(Lines); }
  // The form has been loaded: the keys become a copy of the texts in use.
  void Loaded() { keys_ = items_; }

  // The text in use for `Key` (found ignoring case), or `Key` itself when it
  // is not stored or its place holds "unused".
  std::string GetText(const std::string& Key) const;

 private:
  std::vector<std::string> items_;
  std::vector<std::string> keys_;
};

}  // namespace dimmscope
