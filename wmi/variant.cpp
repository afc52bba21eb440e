// Automation value conversions, following the OLE variant rules that WMI
// clients rely on: numeric text converts to numbers, "true"/"false" to
// Booleans, Empty to the zero of each type.
#include "wmi/variant.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace dimmscope {
namespace {

[[noreturn]] void ThrowConversion(TVarType from, const char* to) {
  throw EVariantError(std::string("Could not convert variant of type (") + TVariant::TypeName(from) + ") into type (" +
                      to + ")");
}

[[noreturn]] void ThrowOverflow() { throw EVariantError("Overflow while converting variant"); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string TrimBlanks(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

bool EqualsNoCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return i == a.size() && b[i] == '\0';
}

// Whole-text decimal integer with optional sign; false when the text is not
// one, throws on overflow.
bool ParseInteger(const std::string& text, std::int64_t& out) {
  if (text.empty()) return false;
  std::size_t i = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    i = 1;
  }
  if (i == text.size()) return false;
  std::uint64_t magnitude = 0;
  const std::uint64_t limit =
      negative ? std::uint64_t{1} << 63 : static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (magnitude > (limit - digit) / 10) ThrowOverflow();
    magnitude = magnitude * 10 + digit;
  }
  out = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
}

// Whole-text real number with '.' as the decimal separator.
bool ParseReal(const std::string& text, double& out) {
  if (text.empty()) return false;
  for (char c : text) {
    const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
    if (!allowed) return false;  // rejects "inf", "nan" and hexadecimal forms
  }
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return false;
  if (errno == ERANGE && std::isinf(value)) ThrowOverflow();
  out = value;
  return true;
}

// Automation rounds to even when a real becomes an integer.
std::int64_t RoundToInt64(double value) {
  if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) ThrowOverflow();
  return static_cast<std::int64_t>(std::nearbyint(value));
}

std::string RealToText(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return buffer;
}

bool IsNumeric(TVarType type) {
  return type == TVarType::Integer || type == TVarType::Double || type == TVarType::Boolean || type == TVarType::Empty;
}

}  // namespace

TVariant TVariant::Null() {
  TVariant v;
  v.type_ = TVarType::Null;
  return v;
}

TVariant::TVariant(const char* text) : type_(TVarType::String), text_(text) {}
TVariant::TVariant(std::string text) : type_(TVarType::String), text_(std::move(text)) {}
TVariant::TVariant(int value) : type_(TVarType::Integer), integer_(value) {}
TVariant::TVariant(std::int64_t value) : type_(TVarType::Integer), integer_(value) {}
TVariant::TVariant(double value) : type_(TVarType::Double), real_(value) {}
TVariant::TVariant(bool value) : type_(TVarType::Boolean), integer_(value ? 1 : 0) {}
TVariant::TVariant(std::shared_ptr<TVariantObject> object) : type_(TVarType::Object), object_(std::move(object)) {}

const char* TVariant::TypeName(TVarType type) {
  switch (type) {
    case TVarType::Empty: return "Empty";
    case TVarType::Null: return "Null";
    case TVarType::String: return "String";
    case TVarType::Integer: return "Int64";
    case TVarType::Double: return "Double";
    case TVarType::Boolean: return "Boolean";
    case TVarType::Object: return "Dispatch";
  }
  return "Unknown";
}

std::string TVariant::AsString() const {
  switch (type_) {
    case TVarType::Empty: return std::string();
    case TVarType::String: return text_;
    case TVarType::Integer: return std::to_string(integer_);
    case TVarType::Double: return RealToText(real_);
    case TVarType::Boolean: return integer_ != 0 ? "True" : "False";
    case TVarType::Null:
    case TVarType::Object: break;
  }
  ThrowConversion(type_, "String");
}

std::int64_t TVariant::AsInt64() const {
  switch (type_) {
    case TVarType::Empty: return 0;
    case TVarType::Integer: return integer_;
    // Automation's VARIANT_TRUE is -1 when read as a number.
    case TVarType::Boolean: return integer_ != 0 ? -1 : 0;
    case TVarType::Double: return RoundToInt64(real_);
    case TVarType::String: {
      const std::string text = TrimBlanks(text_);
      std::int64_t whole = 0;
      if (ParseInteger(text, whole)) return whole;
      double real = 0.0;
      if (ParseReal(text, real)) return RoundToInt64(real);
      break;
    }
    case TVarType::Null:
    case TVarType::Object: break;
  }
  ThrowConversion(type_, "Int64");
}

std::int32_t TVariant::AsInt32() const {
  const std::int64_t wide = AsInt64();
  if (wide < std::numeric_limits<std::int32_t>::min() || wide > std::numeric_limits<std::int32_t>::max()) {
    ThrowOverflow();
  }
  return static_cast<std::int32_t>(wide);
}

double TVariant::AsDouble() const {
  switch (type_) {
    case TVarType::Empty: return 0.0;
    case TVarType::Integer: return static_cast<double>(integer_);
    case TVarType::Boolean: return integer_ != 0 ? -1.0 : 0.0;
    case TVarType::Double: return real_;
    case TVarType::String: {
      double real = 0.0;
      if (ParseReal(TrimBlanks(text_), real)) return real;
      break;
    }
    case TVarType::Null:
    case TVarType::Object: break;
  }
  ThrowConversion(type_, "Double");
}

bool TVariant::AsBoolean() const {
  switch (type_) {
    case TVarType::Empty: return false;
    case TVarType::Integer:
    case TVarType::Boolean: return integer_ != 0;
    case TVarType::Double: return real_ != 0.0;
    case TVarType::String: {
      const std::string text = TrimBlanks(text_);
      if (EqualsNoCase(text, "true")) return true;
      if (EqualsNoCase(text, "false")) return false;
      double real = 0.0;
      if (ParseReal(text, real)) return real != 0.0;
      break;
    }
    case TVarType::Null:
    case TVarType::Object: break;
  }
  ThrowConversion(type_, "Boolean");
}

bool operator==(const TVariant& a, const TVariant& b) {
  if (a.type_ == TVarType::Null || b.type_ == TVarType::Null) return a.type_ == b.type_;
  if (a.type_ == TVarType::Object || b.type_ == TVarType::Object) {
    return a.type_ == b.type_ && a.object_ == b.object_;
  }
  if (a.type_ == TVarType::String && b.type_ == TVarType::String) return a.text_ == b.text_;
  if (a.type_ == TVarType::Empty && b.type_ == TVarType::Empty) return true;
  try {
    if (a.type_ == TVarType::Double || b.type_ == TVarType::Double) return a.AsDouble() == b.AsDouble();
    if (IsNumeric(a.type_) && IsNumeric(b.type_)) return a.AsInt64() == b.AsInt64();
    // Text against a number: the text is read as a number.
    return a.AsDouble() == b.AsDouble();
  } catch (const EVariantError&) {
    return false;
  }
}

std::string VarToStrNull(const TVariant& value) { return value.IsNull() ? std::string() : value.AsString(); }

std::uint16_t VarToWordNull(const TVariant& value) {
  return value.IsNull() ? 0 : static_cast<std::uint16_t>(static_cast<std::uint32_t>(value.AsInt32()) & 0xFFFFu);
}

std::uint32_t VarToCardinalNull(const TVariant& value) {
  return value.IsNull() ? 0 : static_cast<std::uint32_t>(static_cast<std::uint64_t>(value.AsInt64()) & 0xFFFFFFFFu);
}

std::int64_t VarToInt64Null(const TVariant& value) { return value.IsNull() ? 0 : value.AsInt64(); }

double VarToDoubleNull(const TVariant& value) { return value.IsNull() ? 0.0 : value.AsDouble(); }

bool VarToBoolNull(const TVariant& value) { return value.IsNull() ? false : value.AsBoolean(); }

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Days from 1 January of year 1 to 1 January of `year` (proleptic Gregorian).
std::int64_t DaysBeforeYear(int year) {
  const std::int64_t y = year - 1;
  return y * 365 + y / 4 - y / 100 + y / 400;
}

int DigitsAt(const std::string& text, std::size_t start, std::size_t count) {
  int value = 0;
  for (std::size_t i = start; i < start + count; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') {
      throw EConvertError("'" + text.substr(start, count) + "' is not a valid integer value");
    }
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second) {
  static constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12) throw EConvertError("Invalid argument to date encode");
  const int monthDays = kMonthDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  if (day < 1 || day > monthDays) throw EConvertError("Invalid argument to date encode");
  if (hour > 23 || minute > 59 || second > 59) throw EConvertError("Invalid argument to time encode");
  std::int64_t days = DaysBeforeYear(year);
  for (int m = 1; m < month; ++m) days += kMonthDays[m - 1] + (m == 2 && IsLeapYear(year) ? 1 : 0);
  days += day - 1;
  // 30 December 1899 is day 693593 counted from 1 January of year 1.
  const double date = static_cast<double>(days - 693593);
  const double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  // Before the epoch the fraction still counts forward within the day.
  return TDateTime{date >= 0 ? date + time : date - time};
}

TDateTime WmiDateToDateTime(const TVariant& value) {
  const std::string text = VarToStrNull(value);
  if (text.size() < 15) return TDateTime{};
  return EncodeDateTime(DigitsAt(text, 0, 4), DigitsAt(text, 4, 2), DigitsAt(text, 6, 2), DigitsAt(text, 8, 2),
                        DigitsAt(text, 10, 2), DigitsAt(text, 12, 2));
}

}  // namespace dimmscope
