#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kalmira::testing {

// One case of a table under tests/cases: its line number and its fields.
struct Case {
  int line;
  std::vector<std::string> fields;
};

// Reads a case table: one case a line, fields separated by " | ", "#" lines and blank lines
// skipped. Fields take the escapes \n \r \t \0 \\ \xHH and \{N:text} for N copies of text;
// "" stands for an empty field.
std::vector<Case> read_cases(const std::string& table);

// One whole run of the converter, as cases/end_to_end.txt describes it.
struct EndToEndCase {
  std::string name;
  std::string platform;  // "posix" or "windows" for a case of one kind of platform, else empty
  std::optional<std::string> terminal;  // the locale settings of a run on a terminal
  std::vector<std::string> folders;
  std::vector<std::pair<std::string, std::string>> files;  // name and bytes, made before the run
  std::vector<std::string> arguments;
  std::string input, output, error;  // standard input, output and error
  int status = 0;
  std::vector<std::pair<std::string, std::string>> results;  // files the run must leave
  std::vector<std::string> absent;                           // files it must not create
};
std::vector<EndToEndCase> read_end_to_end_cases();

}  // namespace kalmira::testing
