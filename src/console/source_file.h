#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kalmira {

struct OpenedSource {
  std::FILE* file = nullptr;  // null when the open failed
  std::string_view cause;     // then why, in the words of the error report
};

// Opens the source file for reading. A folder does not count as a readable file.
OpenedSource open_source_file(const std::string& name);

}  // namespace kalmira
