// The JEP106 maker behind a module's manufacturer code: the names of all the
// makers JEDEC lists in banks 1 to 16, for the codes that the 37-row table of
// ManufacturerName (memory_names.h) leaves as they were reported.
#pragma once

#include <optional>
#include <string>

namespace dimmscope {

struct TJedecMaker {
  int Bank = 0;  // 1 to 16
  int Code = 0;  // the code byte with its parity bit, as JEP106 lists it
  std::string Name;
};

// Reads a raw Manufacturer text as a JEP106 code, in the forms firmware
// writes it: after an optional "JEDEC ID:" prefix and with blanks and control
// characters (NUL padding too) at either end ignored, the text is hex byte
// pairs, run together ("029E0000") or separated by blanks ("02 9E"). Its
// first bytes are either continuation codes 7F and then the code byte
// ("7F7F9E" is bank 3), or a bank byte and the code byte ("029E", "859B",
// "00CE", "06C1": the bank number less one, with or without its parity bit),
// or a bank-1 code byte alone ("CE00000000000000"). Later bytes do not
// matter. As in ManufacturerName, a first byte that is a valid bank byte
// followed by a valid code byte is read as a bank byte ("0198" is Kingston in
// bank 2, not AMD). A code byte needs odd parity and is never 00 or 7F.
// Anything else (a name, a placeholder, an invalid or unlisted code) gives
// no maker.
std::optional<TJedecMaker> JedecMaker(const std::string& Manufacturer);

// "Corsair (JEDEC bank 3, code 9E)", or empty when JedecMaker gives none.
std::string JedecMakerText(const std::string& Manufacturer);

}  // namespace dimmscope
