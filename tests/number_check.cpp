// Reads one number text a line from standard input and writes, a line each, the bits of the
// double it converts to and the longitude and latitude the target file would give for it as
// easting and northing. Built natively and for WebAssembly, the two outputs must be the same.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "numbers/number_parser.h"
#include "output/target_writer.h"

int main() {
  std::string line;
  for (int c = std::getchar(); c != EOF; c = std::getchar()) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    const double value = kalmira::parse_number(line);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    std::string out(16, '0');
    for (std::size_t i = 16; i-- > 0; bits >>= 4) out[i] = "0123456789abcdef"[bits & 15];
    const kalmira::Position position = kalmira::position_of({line, line, "", "", ""});
    out += " " + position.longitude + " " + position.latitude + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    line.clear();
  }
}
