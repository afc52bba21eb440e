// The tagged automation value in which WMI hands over property values, and
// the Null-aware conversions the typed records use to turn one into a field.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace dimmscope {

// Raised when a value cannot be converted to the requested type (text that is
// not a number, a number out of range, an object where a scalar is needed).
class EVariantError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised by the date-time conversion for a malformed or impossible date.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An automation object held by a variant (a COM IDispatch on Windows, a
// provider's own instance handle elsewhere). Only its owner knows its type.
class TVariantObject {
 public:
  virtual ~TVariantObject() = default;
};

// Days since 30 December 1899 00:00, the fraction giving the time of day.
struct TDateTime {
  double Value = 0.0;
  friend bool operator==(TDateTime a, TDateTime b) { return a.Value == b.Value; }
};

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute,
                         int second);  // throws EConvertError

enum class TVarType { Empty, Null, String, Integer, Double, Boolean, Object };

class TVariant {
 public:
  TVariant() = default;  // Empty
  static TVariant Null();
  TVariant(const char* text);
  TVariant(std::string text);
  TVariant(int value);
  TVariant(std::int64_t value);
  TVariant(double value);
  TVariant(bool value);
  TVariant(std::shared_ptr<TVariantObject> object);

  TVarType Type() const { return type_; }
  bool IsNull() const { return type_ == TVarType::Null; }
  bool IsEmpty() const { return type_ == TVarType::Empty; }

  // Raw access; only valid for the matching type.
  const std::string& String() const { return text_; }
  std::int64_t Integer() const { return integer_; }
  double Real() const { return real_; }
  bool Boolean() const { return integer_ != 0; }
  const std::shared_ptr<TVariantObject>& Object() const { return object_; }

  // The standard automation conversions. Empty gives "", 0, 0.0 or false;
  // Null and objects cannot be converted to scalars and raise EVariantError.
  std::string AsString() const;
  std::int64_t AsInt64() const;
  std::int32_t AsInt32() const;
  double AsDouble() const;
  bool AsBoolean() const;

  // Variant equality: Empty equals Empty, Null equals Null, numbers compare
  // by value across kinds, text compared with a number is read as a number.
  friend bool operator==(const TVariant& a, const TVariant& b);
  friend bool operator!=(const TVariant& a, const TVariant& b) { return !(a == b); }

  static const char* TypeName(TVarType type);

 private:
  TVarType type_ = TVarType::Empty;
  std::string text_;
  std::int64_t integer_ = 0;  // Integer and Boolean (0 or 1)
  double real_ = 0.0;
  std::shared_ptr<TVariantObject> object_;
};

// Null-aware helpers: Null gives the default, anything else is converted with
// the rules above (and may raise EVariantError).
std::string VarToStrNull(const TVariant& value);
std::uint16_t VarToWordNull(const TVariant& value);      // via 32-bit, low 16 bits
std::uint32_t VarToCardinalNull(const TVariant& value);  // via 64-bit, low 32 bits
std::int64_t VarToInt64Null(const TVariant& value);
double VarToDoubleNull(const TVariant& value);
bool VarToBoolNull(const TVariant& value);
// CIM date-time text ("yyyymmddhhnnss.ffffff+ooo") to a date-time; texts of
// fewer than 15 characters and Null give 0.
TDateTime WmiDateToDateTime(const TVariant& value);

}  // namespace dimmscope
