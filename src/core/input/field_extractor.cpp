#include "input/field_extractor.h"

#include <algorithm>

namespace kalmira {

FieldPlace locate_field(std::string_view source, char start_char, int skip, char end_char,
                        std::ptrdiff_t min_start) {
  const auto size = static_cast<std::ptrdiff_t>(source.size());
  const std::ptrdiff_t scan_from = std::max<std::ptrdiff_t>(min_start, 0);
  std::ptrdiff_t start = size;
  if (scan_from < size) {
    const std::size_t found = start_char == 0
                                  ? static_cast<std::size_t>(scan_from)
                                  : source.find(start_char, static_cast<std::size_t>(scan_from));
    if (found != std::string_view::npos) start = static_cast<std::ptrdiff_t>(found);
  }

  FieldPlace place{start};  // every position before the start was passed over
  if (start == size || source[static_cast<std::size_t>(start)] == '\n') return place;

  // The start character itself can never end the field, so the search for the end begins
  // behind it; a line feed ends the field whatever `end_char` is.
  const std::string_view after_start = source.substr(static_cast<std::size_t>(start) + 1);
  std::string_view field = after_start.substr(0, after_start.find('\n'));
  if (end_char != 0) field = field.substr(0, field.find(end_char));
  const std::ptrdiff_t consumed = 1 + static_cast<std::ptrdiff_t>(field.size());

  // Character number j of the field (counting from 1) is copied once j reaches `skip`.
  const std::ptrdiff_t first_copied = std::max<std::ptrdiff_t>(skip, 1);
  if (first_copied > consumed) return place;
  if (place.first == 0) place.first = first_copied;
  place.length = consumed - first_copied + 1;
  place.start = static_cast<std::size_t>(start + first_copied - 1);
  return place;
}

ExtractResult extract_field(std::string_view source, char start_char, int skip, char end_char,
                            std::ptrdiff_t min_start) {
  const FieldPlace place = locate_field(source, start_char, skip, end_char, min_start);
  return {place.first, place.length,
          std::string(source.substr(place.start, static_cast<std::size_t>(place.length)))};
}

}  // namespace kalmira
