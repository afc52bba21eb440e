// Version numbers: parsing with the ".0" padding, the 65535 cap, ordering.
#include "update/version.h"

#include <cstdio>

#include "support/text_helpers.h"

namespace dimmscope {
namespace {

constexpr std::int32_t kFieldMax = 65535;

// Fields above the 16-bit range are unreadable; negative ones pass unchanged.
std::int32_t Capped(std::int32_t Value) { return Value > kFieldMax ? 0 : Value; }

}  // namespace

std::int32_t VersionFieldToInt(const std::string& Piece) {
  std::size_t i = 0;
  while (i < Piece.size() && Piece[i] == ' ') ++i;
  bool negative = false;
  if (i < Piece.size() && (Piece[i] == '+' || Piece[i] == '-')) {
    negative = Piece[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < Piece.size() && (Piece[i] == '$' || Piece[i] == 'x' || Piece[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < Piece.size() && Piece[i] == '0' && (Piece[i + 1] == 'x' || Piece[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == Piece.size()) return 0;  // no digits at all

  // Decimal numbers must fit the signed range; hexadecimal ones fill all 32
  // bits, so $FFFFFFFF reads as -1.
  const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  std::uint64_t value = 0;
  for (; i < Piece.size(); ++i) {
    const int digit = hex ? HexDigit(Piece[i]) : (Piece[i] >= '0' && Piece[i] <= '9' ? Piece[i] - '0' : -1);
    if (digit < 0) return 0;
    value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    if (value > limit) return 0;
  }
  std::uint32_t bits = static_cast<std::uint32_t>(value);
  if (negative) bits = 0u - bits;
  return static_cast<std::int32_t>(bits);
}

TTavoVersion::TTavoVersion(const std::string& Text) {
  std::string text = Text;
  while (FieldCount(text, ".") < 4) text += ".0";
  const std::size_t first = text.find('.');
  const std::size_t second = text.find('.', first + 1);
  const std::size_t third = text.find('.', second + 1);
  Major = Capped(VersionFieldToInt(text.substr(0, first)));
  Minor = Capped(VersionFieldToInt(text.substr(first + 1, second - first - 1)));
  Release = Capped(VersionFieldToInt(text.substr(second + 1, third - second - 1)));
  // Build is everything after the third dot, further dots included.
  Build = Capped(VersionFieldToInt(text.substr(third + 1)));
}

std::string TTavoVersion::AsString() const {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%d.%d.%d.%d", static_cast<int>(Major), static_cast<int>(Minor),
                static_cast<int>(Release), static_cast<int>(Build));
  return buffer;
}

std::uint32_t TTavoVersion::VH() const {
  return static_cast<std::uint32_t>(Major) * 65536u + static_cast<std::uint32_t>(Minor);
}

std::uint32_t TTavoVersion::VL() const {
  return static_cast<std::uint32_t>(Release) * 65536u + static_cast<std::uint32_t>(Build);
}

std::string TTavoVersion::VHString() const { return std::to_string(VH()); }
std::string TTavoVersion::VLString() const { return std::to_string(VL()); }

bool TTavoVersion::IsValid() const {
  const std::uint32_t sum = static_cast<std::uint32_t>(Major) + static_cast<std::uint32_t>(Minor) +
                            static_cast<std::uint32_t>(Release) + static_cast<std::uint32_t>(Build);
  return static_cast<std::int32_t>(sum) > 0;
}

bool TTavoVersion::IsNewerThan(const TTavoVersion& Other) const {
  if (Major != Other.Major) return Major > Other.Major;
  if (Minor != Other.Minor) return Minor > Other.Minor;
  if (Release != Other.Release) return Release > Other.Release;
  return Build > Other.Build;
}

bool TTavoVersion::IsNewerThanHL(std::uint32_t vh, std::uint32_t vl) const {
  if (vh != VH()) return vh < VH();
  return vl < VL();
}

}  // namespace dimmscope
