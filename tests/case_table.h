// Case tables under tests/cases: one case a line, '#' lines and blank lines
// skipped. Fields are separated by tabs, or, in the tables read with '|', by
// bars with the blanks around each field dropped. In a field \t \r \n \\ and
// \xHH stand for those bytes, any other backslash for itself. Each row knows
// its "file:line". DIMMSCOPE_CASES, set by the build, is the folder's absolute
// path (under Wine reached through the Z: drive).
#pragma once

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace dimmscope::testing {

struct TCase {
  std::string Where;
  std::vector<std::string> Fields;
  const std::string& operator[](std::size_t i) const { return Fields.at(i); }
};

inline std::string UnescapeCase(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto escape =
        text[i] == '\\' && i + 1 < text.size() ? std::string("trn\\x").find(text[i + 1]) : std::string::npos;
    if (escape == std::string::npos) {
      out += text[i];
    } else if (text[++i] == 'x') {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += "\t\r\n\\"[escape];
    }
  }
  return out;
}

// A table that cannot be read or holds no case fails the test rather than
// passing it with nothing checked.
inline std::vector<TCase> CaseTable(const std::string& Name, char Separator = '\t') {
  std::ifstream in(std::string(DIMMSCOPE_CASES) + "/" + Name, std::ios::binary);
  std::vector<TCase> rows;
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (line.find_first_not_of(" \t\r") == std::string::npos || line[0] == '#') continue;
    rows.push_back({Name + ":" + std::to_string(n), {}});
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
      end = line.find(Separator, start);
      std::string field = line.substr(start, end - start);
      if (Separator != '\t') {
        const std::size_t from = field.find_first_not_of(" \t\r"), to = field.find_last_not_of(" \t\r");
        field = from == std::string::npos ? "" : field.substr(from, to - from + 1);
      }
      rows.back().Fields.push_back(UnescapeCase(field));
    }
  }
  if (rows.empty()) throw std::runtime_error("no cases in " + Name);
  return rows;
}

}  // namespace dimmscope::testing
