#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "console/screen.h"

namespace kalmira {

// The console as a Windows text console: every line feed written goes out as CR LF, each
// message is on the screen before the call returns, an input line's CR LF reads as LF, and
// Ctrl-Z ends the input. Files and pipes get the dialogue's bytes; a screen shows the
// characters they stand for.
class Console {
 public:
  Console(std::FILE* input, std::FILE* output, std::FILE* error);

  // The dialogue's own text, in Windows-1252.
  void write(std::string_view text) { output_.write(text, Part::kText); }
  // A message about a name: the text before it, the name exactly as the user gave it, the text
  // after it.
  void write(std::string_view before, std::string_view name, std::string_view after);
  void write_error(std::string_view text) { error_.write(text, Part::kText); }
  // Whether the window showing the dialogue closes as the program ends, before the user could
  // read a last message.
  bool closes_with_program() const { return output_.closes_with_program(); }
  // One line of input without its line feed; empty once the input has ended.
  std::string read_line();

 private:
  enum class Part { kText, kName };

  // An output stream and the screen behind it, if any.
  class Channel {
   public:
    explicit Channel(std::FILE* stream) : stream_(stream), screen_(screen_of(stream)) {}
    void write(std::string_view bytes, Part part);
    bool closes_with_program() const { return screen_ && screen_->closes_with_program(); }

   private:
    std::FILE* stream_;
    std::unique_ptr<Screen> screen_;
  };

  int next_input_byte();

  std::FILE* input_;
  std::unique_ptr<Keyboard> keyboard_;
  std::string typed_;  // what the keyboard delivered and read_line has not taken yet
  std::size_t typed_taken_ = 0;
  bool input_ended_ = false;
  Channel output_;
  Channel error_;
};

}  // namespace kalmira
