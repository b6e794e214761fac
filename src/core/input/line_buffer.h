#pragma once

#include <cstddef>
#include <string_view>

namespace kalmira {

// The bytes of the current line. It grows with realloc, which moves a large block by remapping
// its pages instead of copying them: joining a line of hundreds of megabytes then touches each
// byte once, where a growing std::string copies it again at every doubling.
class LineBuffer {
 public:
  LineBuffer() = default;
  LineBuffer(const LineBuffer&) = delete;
  LineBuffer& operator=(const LineBuffer&) = delete;
  ~LineBuffer();

  void clear() { size_ = 0; }
  // Throws std::bad_alloc when the memory runs out.
  void append(std::string_view bytes);
  std::string_view view() const { return {data_, size_}; }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace kalmira
