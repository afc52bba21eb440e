// Case tables under tests/cases: one case a line, fields separated by tabs,
// '#' lines and blank lines skipped. In a field \t \r \n \\ and \xHH stand for
// those bytes, any other backslash for itself. Each row knows its "file:line".
#pragma once

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/fake_wmi_provider.h"

namespace dimmscope::testing {

struct TCase {
  std::string Where;
  std::vector<std::string> Fields;
  const std::string& operator[](std::size_t i) const { return Fields.at(i); }
};

inline std::vector<TCase> CaseTable(const std::string& Name) {
  std::ifstream in(FixturePath("../cases/" + Name), std::ios::binary);
  std::vector<TCase> rows;
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (line.empty() || line[0] == '#') continue;
    rows.push_back({Name + ":" + std::to_string(n), {""}});
    for (std::size_t i = 0; i < line.size(); ++i) {
      std::string& field = rows.back().Fields.back();
      const auto escape =
          line[i] == '\\' && i + 1 < line.size() ? std::string("trn\\x").find(line[i + 1]) : std::string::npos;
      if (line[i] == '\t') {
        rows.back().Fields.emplace_back();
      } else if (escape == std::string::npos) {
        field += line[i];
      } else if (line[++i] == 'x') {
        field += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        field += "\t\r\n\\"[escape];
      }
    }
  }
  if (rows.empty()) throw std::runtime_error("no cases in " + Name);
  return rows;
}

}  // namespace dimmscope::testing
