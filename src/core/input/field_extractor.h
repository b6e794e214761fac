#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kalmira {

struct ExtractResult {
  // Positions passed before the start character was accepted; when it stood at position 0,
  // the copy counter at the first copied character instead (0 if nothing was copied).
  std::ptrdiff_t first = 0;
  std::ptrdiff_t length = 0;  // characters copied into `text`
  std::string text;
};

// Where extract_field's field lies in `source`: its `first` and `length` as extract_field gives
// them, and `start`, the position of its first copied character.
struct FieldPlace {
  std::ptrdiff_t first = 0;
  std::ptrdiff_t length = 0;
  std::size_t start = 0;
};
FieldPlace locate_field(std::string_view source, char start_char, int skip, char end_char,
                        std::ptrdiff_t min_start);

// Cuts one field out of `source`. Copying starts at the first position at or after
// `min_start` holding `start_char` (any position when it is 0), leaves out the first
// `skip` - 1 characters of the field (the start character counts as one) and ends before the
// next `end_char` (none when 0), before a line feed, or at the end of `source`.
ExtractResult extract_field(std::string_view source, char start_char, int skip, char end_char,
                            std::ptrdiff_t min_start);

}  // namespace kalmira
