// Inventory file parser. Strict: anything it does not understand is an error
// naming the line, and nothing is loaded from a file with an error.
#include "wmi/inventory_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "support/file_io.h"
#include "support/text_helpers.h"

namespace dimmscope {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }
bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A digit before the exponent, if any.
bool HasMantissaDigit(const std::string& text) {
  for (char c : text) {
    if (c == 'e' || c == 'E') return false;
    if (IsDigit(c)) return true;
  }
  return false;
}

class TLineParser {
 public:
  TLineParser(const std::string& source, std::size_t lineNo) : source_(source), lineNo_(lineNo) {}

  [[noreturn]] void Fail(const std::string& what) const {
    throw EInventoryError(source_ + ":" + std::to_string(lineNo_) + ": " + what);
  }

  TVariant ParseValue(const std::string& text) const {
    if (text.empty()) Fail("expected a value after '='");
    if (text[0] == '"') return ParseString(text);
    if (text == "null") return TVariant::Null();
    if (text == "empty") return TVariant();
    if (text == "true") return TVariant(true);
    if (text == "false") return TVariant(false);
    return ParseNumber(text);
  }

 private:
  TVariant ParseString(const std::string& text) const {
    std::string out;
    std::size_t i = 1;
    for (;;) {
      if (i >= text.size()) Fail("expected a closing '\"'");
      const char c = text[i++];
      if (c == '"') break;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i >= text.size()) Fail("expected an escape after '\\'");
      const char e = text[i++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 'x': {
          const int high = i < text.size() ? HexDigit(text[i]) : -1;
          const int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
          if (high < 0 || low < 0) Fail("expected two hexadecimal digits after '\\x'");
          out += static_cast<char>(high * 16 + low);
          i += 2;
          break;
        }
        default: Fail(std::string("expected one of \\\" \\\\ \\t \\n \\r \\xHH, found '\\") + e + "'");
      }
    }
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (i != text.size()) Fail("expected the end of the line after the closing '\"'");
    return TVariant(std::move(out));
  }

  TVariant ParseNumber(const std::string& text) const {
    std::size_t i = (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const std::size_t digitsStart = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == digitsStart && (i >= text.size() || text[i] != '.')) {
      Fail("expected null, empty, true, false, a number or a double-quoted string");
    }
    if (i == text.size()) {
      errno = 0;
      const long long value = std::strtoll(text.c_str(), nullptr, 10);
      if (errno == ERANGE) Fail("expected an integer within the signed 64-bit range");
      return TVariant(static_cast<std::int64_t>(value));
    }
    // A real: digits, an optional fraction, an optional exponent, nothing else.
    if (text[i] == '.') {
      ++i;
      while (i < text.size() && IsDigit(text[i])) ++i;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
      ++i;
      if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
      const std::size_t expStart = i;
      while (i < text.size() && IsDigit(text[i])) ++i;
      if (i == expStart) Fail("expected digits in the exponent");
    }
    // The mantissa needs a digit: ".e5" or "-.E-3" are no numbers, though
    // the scan above let them through.
    if (i != text.size() || !HasMantissaDigit(text)) Fail("expected a number");
    // Too large a real would silently become infinite, which no WMI value is
    // and no inventory can hold; too small ones fade to zero as doubles do.
    // Whatever strtod leaves unread would otherwise be dropped without a word.
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size()) Fail("expected a number");
    if (!std::isfinite(value)) Fail("expected a real within the double range");
    return TVariant(value);
  }

  const std::string& source_;
  std::size_t lineNo_;
};

bool IsIdentifier(const std::string& name) {
  if (name.empty() || !IsIdentStart(name[0])) return false;
  for (char c : name) {
    if (!IsIdentChar(c)) return false;
  }
  return true;
}

// Printable ASCII as is; the named escapes; every other byte as \xHH, so the
// file stays plain ASCII whatever code page the values came in.
void AppendQuoted(std::string& out, const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  out += '"';
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (byte >= 0x20 && byte < 0x7F) {
          out += c;
        } else {
          out += "\\x";
          out += kDigits[byte >> 4];
          out += kDigits[byte & 0xF];
        }
    }
  }
  out += '"';
}

// The shortest text that reads back as the same double, always with a '.' or
// an exponent so that it reads back as a real and not an integer.
// The fewest significant digits that read back exactly; printf rather than
// std::to_chars, whose tables would double the size of the Windows exes.
std::string RealText(double value) {
  char buffer[64];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    if (std::strtod(buffer, nullptr) == value) break;
  }
  std::string text = buffer;
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

void AppendValue(std::string& out, const std::string& name, const TVariant& value) {
  std::string text;
  switch (value.Type()) {
    case TVarType::Empty: text = "empty"; break;
    case TVarType::Null: text = "null"; break;
    case TVarType::String: AppendQuoted(text, value.String()); break;
    case TVarType::Integer: text = std::to_string(value.Integer()); break;
    case TVarType::Boolean: text = value.Boolean() ? "true" : "false"; break;
    case TVarType::Double:
      if (std::isfinite(value.Real())) {
        text = RealText(value.Real());
      } else {
        // The format has no infinities; readers see a missing value.
        out += "# " + name + " was not a finite number\n";
        text = "null";
      }
      break;
    case TVarType::Object:
      // An embedded object has no text form; readers see a missing value.
      out += "# " + name + " was an object\n";
      text = "null";
      break;
  }
  out += name + " = " + text + "\n";
}

}  // namespace

std::string FormatInventory(const TInventory& inventory, const std::vector<std::string>& comments) {
  std::string out;
  for (const auto& comment : comments) {
    // One '#' line per line of the comment; line breaks cannot end it early.
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = comment.find_first_of("\r\n", start);
      out += "# " + comment.substr(start, end == std::string::npos ? std::string::npos : end - start) + "\n";
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  for (const auto& instance : inventory.Instances) {
    if (!IsIdentifier(instance.ClassName)) {
      throw EInventoryError("the class name '" + instance.ClassName + "' cannot be written to an inventory");
    }
    out += "[" + instance.ClassName + "]\n";
    for (const auto& property : instance.Properties) {
      if (!IsIdentifier(property.first)) {
        throw EInventoryError("the property name '" + property.first + "' of " + instance.ClassName +
                              " cannot be written to an inventory");
      }
      AppendValue(out, property.first, property.second);
    }
  }
  return out;
}

void SaveInventoryFile(const std::string& path, const TInventory& inventory, const std::vector<std::string>& comments) {
  if (!WriteFileBytes(path, FormatInventory(inventory, comments))) {
    throw EInventoryError(path + ": cannot write the inventory file");
  }
}

TInventory ParseInventory(const std::string& text, const std::string& sourceName) {
  TInventory inventory;
  std::size_t pos = 0;
  std::size_t lineNo = 0;
  // A UTF-8 byte order mark is not part of the first line.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();

    std::size_t first = 0;
    while (first < line.size() && IsSpace(line[first])) ++first;
    std::size_t last = line.size();
    while (last > first && IsSpace(line[last - 1])) --last;
    if (first == last || line[first] == '#') continue;

    const TLineParser parser(sourceName, lineNo);
    if (line[first] == '[') {
      if (line[last - 1] != ']') parser.Fail("expected ']' at the end of the class line");
      const std::string name = line.substr(first + 1, last - first - 2);
      if (name.empty() || !IsIdentStart(name[0])) parser.Fail("expected a class name inside '[' and ']'");
      for (char c : name) {
        if (!IsIdentChar(c)) parser.Fail("expected a class name of letters, digits and '_'");
      }
      inventory.Instances.push_back(TInventoryInstance{name, {}});
      continue;
    }

    std::size_t i = first;
    if (!IsIdentStart(line[i])) parser.Fail("expected '[ClassName]', 'Name = value' or a '#' comment");
    while (i < last && IsIdentChar(line[i])) ++i;
    const std::string name = line.substr(first, i - first);
    while (i < last && IsSpace(line[i])) ++i;
    if (i >= last || line[i] != '=') parser.Fail("expected '=' after the property name " + name);
    ++i;
    while (i < last && IsSpace(line[i])) ++i;
    if (i >= last) parser.Fail("expected a value after '='");
    if (inventory.Instances.empty()) parser.Fail("expected a '[ClassName]' line before the first property");
    auto& properties = inventory.Instances.back().Properties;
    for (const auto& existing : properties) {
      if (existing.first == name) parser.Fail("expected each property once per instance; " + name + " repeats");
    }
    // Strings end at their closing quote; keep any trailing blanks inside it.
    const std::string valueText = line[i] == '"' ? line.substr(i) : line.substr(i, last - i);
    properties.emplace_back(name, parser.ParseValue(valueText));
  }
  return inventory;
}

TInventory LoadInventoryFile(const std::string& path) {
  // Through the program's file layer, which opens UTF-8 paths in UTF-16 on
  // Windows: the C library's fopen would take them in the ANSI code page.
  std::string content;
  if (!ReadFileBytes(path, content)) throw EInventoryError(path + ": cannot open the inventory file");
  return ParseInventory(content, path);
}

}  // namespace dimmscope
