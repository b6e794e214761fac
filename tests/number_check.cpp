// Reads one number text a line from standard input and writes, a line each, the bits of the
// double it converts to and the longitude and latitude the target file would give for it as
// easting and northing. Built natively and for WebAssembly, the two outputs must be the same.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "numbers/number_parser.h"
#include "output/converted_point.h"

int main() {
  for (std::string line; std::getline(std::cin, line);) {
    const double value = kalmira::parse_number(line);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const kalmira::Position position = kalmira::convert_point({line, line, {}}).target;
    std::printf("%016" PRIx64 " %s %s\n", bits, position.longitude.c_str(),
                position.latitude.c_str());
  }
}
