// Four-part version numbers major.minor.release.build: read from dotted
// text, written back, ordered, and split into the two 32-bit halves the
// update query carries.
#pragma once

#include <cstdint>
#include <string>

namespace dimmscope {

class TTavoVersion {
 public:
  // Parses `Text`; text that cannot be read gives 0.0.0.0, which is not valid.
  explicit TTavoVersion(const std::string& Text = std::string());

  // "Major.Minor.Release.Build" as signed decimals.
  std::string AsString() const;
  // Major × 65536 + Minor and Release × 65536 + Build, wrapping in 32 bits.
  std::uint32_t VH() const;
  std::uint32_t VL() const;
  std::string VHString() const;
  std::string VLString() const;

  // True when the four fields add up (as wrapping signed 32-bit numbers) to
  // more than 0.
  bool IsValid() const;
  // Strictly newer, field by field from Major to Build.
  bool IsNewerThan(const TTavoVersion& Other) const;
  // Strictly newer than the halves (vh, vl), compared as unsigned numbers.
  bool IsNewerThanHL(std::uint32_t vh, std::uint32_t vl) const;

  std::int32_t Major = 0;
  std::int32_t Minor = 0;
  std::int32_t Release = 0;
  std::int32_t Build = 0;
};

// One piece of a version text as a signed 32-bit number: leading blanks, an
// optional sign, then decimal digits or hexadecimal ones after "$", "x" or
// "0x". Anything else, an empty piece or a number beyond 32 bits gives 0.
std::int32_t VersionFieldToInt(const std::string& Piece);

}  // namespace dimmscope
