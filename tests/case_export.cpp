// Hands the case tables to the test harnesses that are not written in C++ (the browser's), so
// that every harness reads them through the one reader: prints them as JSON, each byte string a
// JSON string of the characters U+0000 to U+00FF that stand for its bytes.
//   kalmira_case_export TABLE   the cases of tests/cases/TABLE: [line, [field, ...]] each
//   kalmira_case_export runs    the runs of cases/end_to_end.txt, as objects
#include <cstdio>
#include <string>

#include "case_file.h"

namespace {

using kalmira::testing::EndToEndCase;

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

template <typename List, typename Write>
std::string json_list(const List& items, Write write) {
  std::string text = "[";
  for (const auto& item : items) text += (text.size() > 1 ? "," : "") + write(item);
  return text + "]";
}

std::string json_files(const std::vector<std::pair<std::string, std::string>>& files) {
  return json_list(files, [](const auto& file) {
    return "[" + json(file.first) + "," + json(file.second) + "]";
  });
}

std::string json_end_to_end_case(const EndToEndCase& run) {
  return "{\"name\":" + json(run.name) + ",\"platform\":" + json(run.platform) +
         ",\"folders\":" + json_list(run.folders, json) + ",\"files\":" + json_files(run.files) +
         ",\"arguments\":" + json_list(run.arguments, json) + ",\"input\":" + json(run.input) +
         ",\"output\":" + json(run.output) + ",\"error\":" + json(run.error) +
         ",\"status\":" + std::to_string(run.status) + ",\"results\":" + json_files(run.results) +
         ",\"absent\":" + json_list(run.absent, json) + "}";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string table = argv[1];
  const std::string text =
      table == "runs"
          ? json_list(kalmira::testing::read_end_to_end_cases(), json_end_to_end_case)
          : json_list(kalmira::testing::read_cases(table), [](const auto& c) {
              return "[" + std::to_string(c.line) + "," + json_list(c.fields, json) + "]";
            });
  std::puts(text.c_str());
}
