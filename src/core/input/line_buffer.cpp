#include "input/line_buffer.h"

#include <algorithm>
#include <new>
#include <utility>

namespace kalmira {
namespace {

// From this length on a line takes its whole room at once, up to the largest reservation; it
// grows at least by doubling all the same, whatever a source says of its size.
constexpr std::size_t kLongLine = std::size_t{1} << 20;
constexpr std::size_t kLargestReservation = std::size_t{1} << 30;

}  // namespace

void LineBuffer::append(std::string_view bytes, std::optional<std::size_t> room) {
  const std::size_t needed = line_.size() + bytes.size();
  if (needed >= line_.capacity()) {
    std::size_t capacity = std::max(needed, 2 * line_.capacity());
    if (room && needed >= kLongLine)
      capacity = std::max(capacity, needed + std::min(*room, kLargestReservation));
    if (capacity > line_.max_size()) throw std::bad_alloc();
    line_.reserve(capacity);
  }
  line_.append(bytes);
}

std::string LineBuffer::take() { return std::exchange(line_, std::string()); }

}  // namespace kalmira
