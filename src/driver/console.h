#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kalmira {

// The console as a Windows text console: every line feed written goes out as CR LF, each
// message is on the screen before the call returns, an input line's CR LF reads as LF, and
// Ctrl-Z ends the input.
class Console {
 public:
  Console(std::FILE* input, std::FILE* output, std::FILE* error)
      : input_(input), output_(output), error_(error) {}

  void write(std::string_view text) { write_to(output_, text); }
  void write_error(std::string_view text) { write_to(error_, text); }
  // One line of input without its line feed; empty once the input has ended.
  std::string read_line();

 private:
  static void write_to(std::FILE* stream, std::string_view text);

  std::FILE* input_;
  std::FILE* output_;
  std::FILE* error_;
  bool input_ended_ = false;
};

}  // namespace kalmira
