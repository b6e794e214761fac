#include "case_file.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kalmira::testing {

std::string unescape(const std::string& field) {
  if (field == "\"\"") return "";
  static constexpr std::string_view kCodes = "nrt0\\";
  static constexpr std::string_view kBytes{"\n\r\t\0\\", 5};
  std::string bytes;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const char code = i + 1 < field.size() && field[i] == '\\' ? field[++i] : 0;
    if (code == 'x') {
      bytes += static_cast<char>(std::stoi(field.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else if (code == '{') {
      const std::size_t colon = field.find(':', i);
      const std::size_t close = field.find('}', colon);
      const std::string copy = unescape(field.substr(colon + 1, close - colon - 1));
      for (int n = std::stoi(field.substr(i + 1, colon - i - 1)); n > 0; --n) bytes += copy;
      i = close;
    } else if (code == 0) {
      bytes += field[i];
    } else if (const std::size_t at = kCodes.find(code); at != std::string_view::npos) {
      bytes += kBytes[at];
    } else {
      throw std::runtime_error("unknown escape in " + field);
    }
  }
  return bytes;
}

std::string read_case_file(const std::string& name) {
  std::ifstream in(std::string(KALMIRA_CASE_DIR) + "/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("missing case file " + name);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<Case> read_cases(const std::string& table) {
  std::istringstream lines(read_case_file(table));
  std::vector<Case> cases;
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    Case& c = cases.emplace_back(Case{number, {}});
    for (std::size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 3) {
      bar = line.find(" | ", start);
      c.fields.push_back(unescape(line.substr(start, bar - start)));
    }
  }
  return cases;
}

}  // namespace kalmira::testing
