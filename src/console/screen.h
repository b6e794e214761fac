#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// Where a Linux terminal and a Windows console differ from a file or a pipe: a screen shows
// characters, so the dialogue's Windows-1252 bytes must reach it as the characters they stand
// for, while a file or a pipe gets the bytes themselves.
namespace kalmira {

class Screen {
 public:
  virtual ~Screen() = default;
  // Shows the dialogue's own text, Windows-1252 bytes.
  virtual void show_text(std::string_view text) = 0;
  // Shows a name exactly as the user gave it, in the screen's own character set.
  virtual void show_name(std::string_view name) = 0;
  // Whether the window that shows the screen closes as the program ends: a console opened for
  // the program alone (by a double-click, Explorer's command or a file dropped on it), not the
  // window of a command prompt or a terminal.
  virtual bool closes_with_program() const { return false; }
};

// The screen behind `stream`; null for a file or a pipe, and for a screen that shows the bytes
// as they are.
std::unique_ptr<Screen> screen_of(std::FILE* stream);

// Lines typed at a console whose character set is not the one file names are given in.
class Keyboard {
 public:
  virtual ~Keyboard() = default;
  // What the user typed next, in the program's own character set; empty at the input's end.
  virtual std::string read_typed() = 0;
};

// The keyboard behind `stream`; null where its bytes can be read as they are.
std::unique_ptr<Keyboard> keyboard_of(std::FILE* stream);

}  // namespace kalmira
