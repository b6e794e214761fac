#include "input/byte_source.h"

#include <algorithm>

namespace kalmira {

std::size_t FileSource::read(std::span<char> buffer) {
  return std::fread(buffer.data(), 1, buffer.size(), file_);
}

bool FileSource::failed() const { return std::ferror(file_) != 0; }

std::size_t MemorySource::read(std::span<char> buffer) {
  const std::size_t count = std::min(buffer.size(), rest_.size());
  std::copy_n(rest_.data(), count, buffer.data());
  rest_.remove_prefix(count);
  return count;
}

}  // namespace kalmira
