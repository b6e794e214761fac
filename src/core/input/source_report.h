#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "input/byte_source.h"
#include "input/point_table.h"

namespace kalmira {

// What the read phase saw of a source besides the points, for the hints a front gives about
// a doubtful source. Filled by the same reading that fills the point table.
struct SectionReport {
  bool found = false;  // its header was seen
  // The entry lines of its last run, those beyond the 99th a table holds included.
  std::int64_t entry_lines = 0;
};

struct SourceReport {
  SectionReport coordinates;
  SectionReport descriptions;
  std::bitset<kMaxPoints> with_coordinates;  // records a coordinates block filled
  std::bitset<kMaxPoints> with_description;  // records a description block filled
  bool binary = false;  // a zero byte near the start, which a text file does not hold

  // A file with neither section is no source at all: a note, a photo.
  bool is_source() const { return coordinates.found || descriptions.found; }
};

// Hands a source's bytes on unchanged and looks at the first ones, as tools that tell text from
// binary data do: a zero byte among them marks the report's source as binary.
class SniffingSource final : public ByteSource {
 public:
  SniffingSource(ByteSource& source, SourceReport& report) : source_(source), report_(report) {}
  std::size_t read(std::span<char> buffer) override;
  bool failed() const override { return source_.failed(); }
  std::optional<std::size_t> remaining() const override { return source_.remaining(); }

 private:
  static constexpr std::size_t kLooked = 8000;
  ByteSource& source_;
  SourceReport& report_;
  std::size_t seen_ = 0;
};

}  // namespace kalmira
