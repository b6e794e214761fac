#include "driver/console.h"

namespace kalmira {

std::string Console::read_line() {
  std::string line;
  while (!input_ended_) {
    const int c = std::getc(input_);
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

void Console::write_to(std::FILE* stream, std::string_view text) {
  std::string translated;
  for (const char c : text) {
    if (c == '\n') translated += '\r';
    translated += c;
  }
  std::fwrite(translated.data(), 1, translated.size(), stream);
  std::fflush(stream);
}

}  // namespace kalmira
