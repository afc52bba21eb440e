// Formatting and string helpers.
#include "support/text_helpers.h"

#include <cstdio>

namespace dimmscope {

std::array<std::string, 5> SizeUnitNames;
char DecimalSeparator = '.';
char TimeSeparator = ':';

std::string FormatSize(std::int64_t Size) {
  // Only the number goes through the buffer; the unit's label, whatever its
  // length, is appended whole.
  char buffer[64];
  if (Size < 1024) {
    std::snprintf(buffer, sizeof buffer, "%-4llu ", static_cast<unsigned long long>(Size));
    return buffer + SizeUnitNames[0];
  }
  double q = static_cast<double>(Size) / 1024.0;
  std::size_t level = 1;
  while (q >= 1024.0 && level < SizeUnitNames.size() - 1) {
    q /= 1024.0;
    ++level;
  }
  if (q >= 1000.0) {
    std::snprintf(buffer, sizeof buffer, "%llu ", static_cast<unsigned long long>(q));
    return buffer + SizeUnitNames[level];
  }
  // Three significant digits; 999.5 to 1000 rounds up and would switch to the
  // exponent form, so such values are written as the whole number 1000.
  std::snprintf(buffer, sizeof buffer, "%.3g", q);
  std::string number = buffer;
  if (number.find('e') != std::string::npos) number = "1000";
  for (char& c : number) {
    if (c == '.') c = DecimalSeparator;
  }
  return number + " " + SizeUnitNames[level];
}

std::string UrlEncode(const std::string& Text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(Text.size() * 3);
  for (char c : Text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
                       byte == '-' || byte == '.' || byte == '_';
    if (plain) {
      out += c;
    } else if (byte == ' ') {
      out += "%20";
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  return out;
}

std::string YesNo(bool Value) { return Value ? "Yes" : "No"; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && StartsText(a, b); }

bool StartsText(std::string_view Text, std::string_view Prefix) {
  if (Prefix.size() > Text.size()) return false;
  for (std::size_t i = 0; i < Prefix.size(); ++i) {
    if (FoldAscii(Text[i]) != FoldAscii(Prefix[i])) return false;
  }
  return true;
}

bool ContainsText(std::string_view Needle, std::string_view Haystack) {
  if (Needle.empty() || Needle.size() > Haystack.size()) return false;
  for (std::size_t start = 0; start + Needle.size() <= Haystack.size(); ++start) {
    std::size_t i = 0;
    while (i < Needle.size() && FoldAscii(Haystack[start + i]) == FoldAscii(Needle[i])) ++i;
    if (i == Needle.size()) return true;
  }
  return false;
}

std::string TrimControls(const std::string& Text) {
  std::size_t first = 0;
  std::size_t last = Text.size();
  while (first < last && static_cast<unsigned char>(Text[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(Text[last - 1]) <= 32) --last;
  return Text.substr(first, last - first);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string RemovePrefixText(const std::string& Text, const std::string& Prefix) {
  if (!StartsText(Text, Prefix)) return Text;
  return TrimControls(Text.substr(Prefix.size()));
}

std::int32_t FieldCount(const std::string& Text, const std::string& Delimiters) {
  if (Text.empty()) return 0;
  std::int32_t count = 1;
  for (char c : Text) {
    if (Delimiters.find(c) != std::string::npos) ++count;
  }
  return count;
}

std::string GetField(const std::string& Text, std::int32_t Index, const std::string& Delimiters) {
  if (Index < 0) return std::string();
  std::int32_t field = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= Text.size(); ++i) {
    if (i == Text.size() || Delimiters.find(Text[i]) != std::string::npos) {
      if (field == Index) return Text.substr(start, i - start);
      ++field;
      start = i + 1;
    }
  }
  return std::string();
}

}  // namespace dimmscope
