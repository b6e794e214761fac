#include "conversion.h"

#include <algorithm>
#include <new>

#include "input/line_reader.h"
#include "input/section_parser.h"

namespace kalmira {

bool Conversion::descriptions_in_utf8() const {
  return std::any_of(doubts.begin(), doubts.end(), [](const SourceDoubt& doubt) {
    return doubt.kind == Doubt::kDescriptionsInUtf8;
  });
}

Conversion convert_source(ByteSource& bytes) {
  Conversion conversion;
  SniffingSource sniffed(bytes, conversion.report);
  LineReader reader(sniffed);
  try {
    read_source_file(reader, conversion.table, conversion.report);
    conversion.read_completely = !reader.failed();
  } catch (const std::bad_alloc&) {
    return conversion;  // a line or a field too large for memory
  }
  if (!conversion.read_completely) return conversion;
  for (int i = 0; i < conversion.table.count; ++i) {
    conversion.points.push_back(
        convert_point(conversion.table.records[static_cast<std::size_t>(i)]));
  }
  conversion.doubts = source_doubts(conversion.table, conversion.report, conversion.points);
  return conversion;
}

}  // namespace kalmira
