// The read phase, the hints about the source and the write phase on any source bytes. Besides
// running clean under the sanitizers, the target must have one CR LF line per counted point,
// each starting with two numbers in the eight-decimal format.
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string_view>

#include "input/byte_source.h"
#include "input/line_reader.h"
#include "input/section_parser.h"
#include "output/byte_sink.h"
#include "output/source_hints.h"
#include "output/target_writer.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

// Two numbers, each "-"? digits "." 8 digits, or "inf", "-inf", "nan", then ", ".
const std::regex kTwoNumbers(R"((-?\d+\.\d{8}|-?inf|nan), (-?\d+\.\d{8}|-?inf|nan), )");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kalmira::MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
  kalmira::LineReader reader(source);
  kalmira::PointTable table;
  kalmira::SourceReport report;
  const int count = kalmira::read_source_file(reader, table, report);
  require(count == table.count && count >= 0 && count <= kalmira::kMaxPoints);
  require(kalmira::source_hints(table, report).size() <= 12);

  kalmira::StringSink sink;
  kalmira::write_target_file(sink, table);
  std::string_view target = sink.bytes();
  for (int line = 0; line < count; ++line) {
    const std::size_t lf = target.find('\n');
    require(lf != std::string_view::npos && lf > 0 && target[lf - 1] == '\r');
    require(std::regex_search(target.begin(), target.begin() + lf, kTwoNumbers,
                              std::regex_constants::match_continuous));
    target.remove_prefix(lf + 1);
  }
  require(target.empty());
  return 0;
}
