// Small pure functions on single-byte text and numbers shared across the
// program: size texts, URL encoding, case-insensitive tests and fields.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace dimmscope {

// Unit labels for bytes, KB, MB, GB and TB; empty until the program sets them.
extern std::array<std::string, 5> SizeUnitNames;
// The user's decimal separator for FormatSize; the platform sets it at start.
extern char DecimalSeparator;
// The user's time separator for the log's time stamps; the platform sets it at start.
extern char TimeSeparator;

std::string FormatSize(std::int64_t Size);
std::string UrlEncode(const std::string& Text);
std::string YesNo(bool Value);

// Case-insensitive tests fold only the letters A to Z.
char FoldAscii(char c);
bool SameText(std::string_view a, std::string_view b);
bool ContainsText(std::string_view Needle, std::string_view Haystack);
bool StartsText(std::string_view Text, std::string_view Prefix);
std::string RemovePrefixText(const std::string& Text, const std::string& Prefix);
// Removes blanks and control characters (bytes up to 32) from both ends.
std::string TrimControls(const std::string& Text);
// The value of a hex digit (either case), -1 for any other character.
int HexDigit(char c);

std::int32_t FieldCount(const std::string& Text, const std::string& Delimiters);
std::string GetField(const std::string& Text, std::int32_t Index, const std::string& Delimiters);

}  // namespace dimmscope
