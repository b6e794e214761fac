#include "console/console.h"

namespace kalmira {

Console::Console(std::FILE* input, std::FILE* output, std::FILE* error)
    : input_(input), keyboard_(keyboard_of(input)), output_(output), error_(error) {}

void Console::write(std::string_view before, std::string_view name, std::string_view after) {
  output_.write(before, Part::kText);
  output_.write(name, Part::kName);
  output_.write(after, Part::kText);
}

int Console::next_input_byte() {
  if (keyboard_ == nullptr) return std::getc(input_);
  if (typed_taken_ == typed_.size()) {
    typed_ = keyboard_->read_typed();
    typed_taken_ = 0;
    if (typed_.empty()) return EOF;
  }
  return static_cast<unsigned char>(typed_[typed_taken_++]);
}

std::string Console::read_line() {
  std::string line;
  while (!input_ended_) {
    const int c = next_input_byte();
    if (c == EOF || c == '\x1A') {
      input_ended_ = true;
    } else if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      break;
    } else {
      line += static_cast<char>(c);
    }
  }
  return line;
}

void Console::Channel::write(std::string_view bytes, Part part) {
  std::string translated;
  for (const char c : bytes) {
    if (c == '\n') translated += '\r';
    translated += c;
  }
  if (screen_ == nullptr) {
    std::fwrite(translated.data(), 1, translated.size(), stream_);
  } else if (part == Part::kText) {
    screen_->show_text(translated);
  } else {
    screen_->show_name(translated);
  }
  std::fflush(stream_);
}

}  // namespace kalmira
