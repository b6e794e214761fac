#pragma once

#include <string>
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

// The bytes of a file under tests/cases.
std::string read_case_file(const std::string& name);

std::string unescape(const std::string& field);

}  // namespace kalmira::testing
