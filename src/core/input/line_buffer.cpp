#include "input/line_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace kalmira {

LineBuffer::~LineBuffer() { std::free(data_); }

void LineBuffer::append(std::string_view bytes) {
  if (bytes.empty()) return;
  if (bytes.size() > capacity_ - size_) {
    const std::size_t capacity = std::max({size_ + bytes.size(), 2 * capacity_, std::size_t{128}});
    void* grown = std::realloc(data_, capacity);
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    capacity_ = capacity;
  }
  std::memcpy(data_ + size_, bytes.data(), bytes.size());
  size_ += bytes.size();
}

}  // namespace kalmira
