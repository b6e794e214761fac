#include "input/field_extractor.h"

#include <algorithm>

namespace kalmira {

ExtractResult extract_field(std::string_view source, char start_char, int skip, char end_char,
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

  ExtractResult result;
  result.first = start;  // every position before the start was passed over
  if (start == size || source[static_cast<std::size_t>(start)] == '\n') return result;

  // The start character itself can never end the field, so the search for the end begins
  // behind it; a line feed ends the field whatever `end_char` is.
  const std::string_view after_start = source.substr(static_cast<std::size_t>(start) + 1);
  std::string_view field = after_start.substr(0, after_start.find('\n'));
  if (end_char != 0) field = field.substr(0, field.find(end_char));
  const std::ptrdiff_t consumed = 1 + static_cast<std::ptrdiff_t>(field.size());

  // Character number j of the field (counting from 1) is copied once j reaches `skip`.
  const std::ptrdiff_t first_copied = std::max<std::ptrdiff_t>(skip, 1);
  if (first_copied > consumed) return result;
  if (result.first == 0) result.first = first_copied;
  result.length = consumed - first_copied + 1;
  // One byte to spare, so that a caller can end a large field with a separator without a copy.
  result.text.reserve(static_cast<std::size_t>(result.length) + 1);
  result.text.assign(source.substr(static_cast<std::size_t>(start + first_copied - 1),
                                   static_cast<std::size_t>(result.length)));
  return result;
}

}  // namespace kalmira
