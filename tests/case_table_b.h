// Reads a table of cases: one case a line, fields split at '|' with the blanks
// around them dropped; blank lines and lines starting with '#' are skipped.
// Within a field, \xHH stands for that byte.
#pragma once

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace dimmscope::testing {

struct TCaseRowB {
  int Line = 0;
  std::vector<std::string> Fields;
};

// A field with each \xHH turned into that byte.
inline std::string UnescapeCaseB(std::string text) {
  for (std::size_t at = text.find("\\x"); at != std::string::npos; at = text.find("\\x", at + 1)) {
    text.replace(at, 4, 1, static_cast<char>(std::stoi(text.substr(at + 2, 2), nullptr, 16)));
  }
  return text;
}

// The rows of tests/cases/`name` (DIMMSCOPE_CASES is the folder's absolute
// path, set by the build); a table that cannot be read or holds no case
// fails the test rather than passing it with nothing checked.
inline std::vector<TCaseRowB> ReadCaseTableB(const std::string& name) {
  std::ifstream in(std::string(DIMMSCOPE_CASES) + "/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the case table " + name);
  std::vector<TCaseRowB> rows;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    TCaseRowB row{number, {}};
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
      end = line.find('|', start);
      const std::string field = line.substr(start, end - start);  // to the end after the last '|'
      const std::size_t from = field.find_first_not_of(" \t\r"), to = field.find_last_not_of(" \t\r");
      row.Fields.push_back(from == std::string::npos ? "" : UnescapeCaseB(field.substr(from, to - from + 1)));
    }
    rows.push_back(row);
  }
  if (rows.empty()) throw std::runtime_error("no cases in " + name);
  return rows;
}

}  // namespace dimmscope::testing
