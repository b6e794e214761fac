#include "input/source_report.h"

#include <algorithm>

namespace kalmira {

std::size_t SniffingSource::read(std::span<char> buffer) {
  const std::size_t got = source_.read(buffer);
  const std::size_t looked = std::min(got, kLooked - std::min(seen_, kLooked));
  report_.binary = report_.binary ||
                   std::find(buffer.data(), buffer.data() + looked, '\0') != buffer.data() + looked;
  seen_ += got;
  return got;
}

}  // namespace kalmira
