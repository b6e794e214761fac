#include "input/byte_source.h"

#include <algorithm>

namespace kalmira {

FileSource::FileSource(std::FILE* file) : file_(file) {
  // Where the file can seek, its end says how much is left; a pipe, say, cannot.
  const long start = std::ftell(file);
  if (start >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
    const long end = std::ftell(file);
    if (std::fseek(file, start, SEEK_SET) == 0 && end >= start) {
      remaining_ = static_cast<std::size_t>(end - start);
    }
  }
}

std::size_t FileSource::read(std::span<char> buffer) {
  const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file_);
  if (remaining_)
    remaining_ = *remaining_ - std::min(*remaining_, got);  // a file may grow meanwhile
  return got;
}

bool FileSource::failed() const { return std::ferror(file_) != 0; }

std::size_t MemorySource::read(std::span<char> buffer) {
  const std::size_t count = std::min(buffer.size(), rest_.size());
  std::copy_n(rest_.data(), count, buffer.data());
  rest_.remove_prefix(count);
  return count;
}

}  // namespace kalmira
