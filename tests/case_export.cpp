// Hands the case tables to the test harnesses not written in C++ (the browsers', Python's), so
// that every harness reads them through the one reader: prints them as JSON, each byte string a
// JSON string of the characters U+0000 to U+00FF that stand for its bytes.
//   kalmira_case_export TABLE         the cases of tests/cases/TABLE: [line, [field, ...]] each
//   kalmira_case_export conversions   the runs of cases/end_to_end.txt that convert one source,
//                                     [field, ...] each
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "case_file.h"

namespace kalmira::testing {

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

template <typename Item>
std::string json(const std::vector<Item>& items) {
  std::string text = "[";
  for (const Item& item : items) text += (text.size() > 1 ? "," : "") + json(item);
  return text + "]";
}

std::string json(const Case& c) {
  return "[" + std::to_string(c.line) + "," + json(c.fields) + "]";
}

// The runs that convert one source into one target (on any platform but Windows), as the other
// fronts' harnesses take them: the case, the source's name and bytes, the target's name and bytes,
// and "named" where the run names its target itself (else the converter derives it).
std::vector<std::vector<std::string>> conversions(const std::vector<EndToEndCase>& runs) {
  std::vector<std::vector<std::string>> found;
  for (const EndToEndCase& run : runs) {
    if (run.platform == "windows" || run.status != 0 || run.results.size() != 1) continue;
    const std::string name = run.arguments.empty()
                                 ? run.input.substr(0, run.input.find_first_of("\r\n"))
                                 : run.arguments[0];
    const auto source =
        std::ranges::find_if(run.files, [&](const auto& file) { return file.first == name; });
    if (source == run.files.end()) throw std::runtime_error("no source in " + run.name);
    const auto& [target_name, target] = run.results[0];
    found.push_back({run.name, name, source->second, target_name, target,
                     run.arguments.size() > 1 ? "named" : ""});
  }
  return found;
}

}  // namespace kalmira::testing

int main(int argc, char** argv) {
  using namespace kalmira::testing;
  if (argc != 2) return 2;
  const std::string table = argv[1];
  const bool runs = table == "conversions";
  std::puts((runs ? json(conversions(read_end_to_end_cases())) : json(read_cases(table))).c_str());
}
