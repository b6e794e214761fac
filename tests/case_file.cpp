#include "case_file.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kalmira::testing {
namespace {

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

std::vector<std::string> split_at_bars(const std::string& line) {
  std::vector<std::string> fields;
  for (std::size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 3) {
    bar = line.find(" | ", start);
    fields.push_back(unescape(line.substr(start, bar - start)));
  }
  return fields;
}

// The bytes of a file under tests/cases.
std::string read_case_file(const std::string& name) {
  std::ifstream in(std::string(KALMIRA_CASE_DIR) + "/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("missing case file " + name);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A value of the end-to-end table: "@name" is a case file, anything else escaped bytes.
std::string bytes_of(const std::string& value) {
  return value.starts_with('@') ? read_case_file(value.substr(1)) : unescape(value);
}

}  // namespace

std::vector<Case> read_cases(const std::string& table) {
  std::istringstream lines(read_case_file(table));
  std::vector<Case> cases;
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    cases.push_back(Case{number, split_at_bars(line)});
  }
  return cases;
}

std::vector<EndToEndCase> read_end_to_end_cases() {
  std::istringstream lines(read_case_file("end_to_end.txt"));
  std::vector<EndToEndCase> runs;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("== ")) runs.emplace_back().name = line.substr(3);
    if (runs.empty() || line.empty() || line[0] == '#' || line.starts_with("== ")) continue;
    EndToEndCase& run = runs.back();
    const std::size_t colon = line.find(": ");
    const std::string key = line.substr(0, colon);
    const std::string value = colon == std::string::npos ? "" : line.substr(colon + 2);
    const std::string named = key.substr(key.find(' ') + 1);  // the name after "file" etc.
    if (key == "only") run.platform = value;
    if (key == "terminal") run.terminal = unescape(value), run.platform = "posix";
    if (key == "args") run.arguments = split_at_bars(value);
    if (key == "stdin") run.input = unescape(value);
    if (key == "stdout") run.output = unescape(value);
    if (key == "stderr") run.error = unescape(value);
    if (key == "status") run.status = std::stoi(value);
    if (key.starts_with("folder ")) run.folders.push_back(unescape(named));
    if (key.starts_with("file ")) run.files.emplace_back(unescape(named), bytes_of(value));
    if (key.starts_with("result ")) run.results.emplace_back(unescape(named), bytes_of(value));
    if (key.starts_with("absent ")) run.absent.push_back(unescape(named));
  }
  return runs;
}

}  // namespace kalmira::testing
