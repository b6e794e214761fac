// Hands the case tables to the test harnesses that are not written in C++ (the browser's), so
// that every harness reads them through the one reader: prints them as JSON, each byte string a
// JSON string of the characters U+0000 to U+00FF that stand for its bytes.
//   kalmira_case_export TABLE   the cases of tests/cases/TABLE: [line, [field, ...]] each
//   kalmira_case_export runs    the runs of cases/end_to_end.txt, as objects
#include <cstdio>
#include <string>

#include "case_file.h"

namespace kalmira::testing {

std::string json(int number) { return std::to_string(number); }

std::string json(const std::string& bytes) {
  std::string text = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
    text += byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\' ? escaped : std::string(1, c);
  }
  return text + "\"";
}

template <typename First, typename Second>
std::string json(const std::pair<First, Second>& pair);

template <typename Item>
std::string json(const std::vector<Item>& items) {
  std::string text = "[";
  for (const Item& item : items) text += (text.size() > 1 ? "," : "") + json(item);
  return text + "]";
}

template <typename First, typename Second>
std::string json(const std::pair<First, Second>& pair) {
  return "[" + json(pair.first) + "," + json(pair.second) + "]";
}

std::string json(const Case& c) { return json(std::pair(c.line, c.fields)); }

// What the browser's harnesses use of a run.
std::string json(const EndToEndCase& run) {
  return "{\"name\":" + json(run.name) + ",\"platform\":" + json(run.platform) +
         ",\"files\":" + json(run.files) + ",\"arguments\":" + json(run.arguments) +
         ",\"input\":" + json(run.input) + ",\"status\":" + json(run.status) +
         ",\"results\":" + json(run.results) + "}";
}

}  // namespace kalmira::testing

int main(int argc, char** argv) {
  using namespace kalmira::testing;
  if (argc != 2) return 2;
  const std::string table = argv[1];
  std::puts((table == "runs" ? json(read_end_to_end_cases()) : json(read_cases(table))).c_str());
}
