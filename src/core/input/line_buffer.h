#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kalmira {

// The bytes of the current line. A long line takes the room it can still need at once, where the
// reader knows it, instead of growing by doubling: each doubling copies the line again and leaves
// the old copy behind, for good in WebAssembly, whose memory never shrinks. And the line can give
// its bytes away, so that a piece of hundreds of megabytes is never held twice.
class LineBuffer {
 public:
  void clear() { line_.clear(); }
  // Appends `bytes`; `room` is the most the line can still grow by after them, where known.
  // Throws std::bad_alloc when the memory runs out.
  void append(std::string_view bytes, std::optional<std::size_t> room);
  std::string_view view() const { return line_; }
  // The line's bytes; the line is empty after.
  std::string take();

 private:
  std::string line_;
};

}  // namespace kalmira
