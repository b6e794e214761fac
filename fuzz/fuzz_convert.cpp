// The conversion, the hints about the source and the target on any source bytes. Besides
// running clean under the sanitizers, every hint must be one line of text, and the target must
// have one CR LF line per counted point, each starting with two numbers in the eight-decimal
// format.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "conversion.h"
#include "hint_text.h"
#include "output/byte_sink.h"
#include "output/target_writer.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// Consumes "-"? digits "." 8 digits, or "inf", "-inf", "nan", then ", ".
void require_number(std::string_view& line) {
  std::size_t i = line.starts_with('-') ? 1 : 0;
  if (line.substr(i).starts_with("inf") || (i == 0 && line.starts_with("nan"))) {
    i += 3;
  } else {
    const std::size_t digits = line.find_first_not_of("0123456789", i);
    require(digits != std::string_view::npos && digits > i && line[digits] == '.');
    require(line.find_first_not_of("0123456789", digits + 1) == digits + 9);
    i = digits + 9;
  }
  require(line.substr(i).starts_with(", "));
  line.remove_prefix(i + 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kalmira::MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
  const kalmira::Conversion conversion = kalmira::convert_source(source);
  const int count = conversion.table.count;
  require(conversion.read_completely && count >= 0 && count <= kalmira::kMaxPoints &&
          conversion.points.size() == static_cast<std::size_t>(count));
  for (const std::string& hint : kalmira::hint_texts(conversion.doubts)) {
    require(!hint.empty() &&
            std::none_of(hint.begin(), hint.end(), [](char c) { return c >= 0 && c < 0x20; }));
  }

  kalmira::StringSink sink;
  kalmira::write_target_file(sink, conversion.table, conversion.points);
  std::string_view target = sink.bytes();
  for (int line = 0; line < count; ++line) {
    const std::size_t lf = target.find('\n');
    require(lf != std::string_view::npos && lf > 0 && target[lf - 1] == '\r');
    std::string_view text = target.substr(0, lf - 1);
    require_number(text);
    require_number(text);
    target.remove_prefix(lf + 1);
  }
  require(target.empty());
  return 0;
}
