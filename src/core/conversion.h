#pragma once

#include <vector>

#include "input/byte_source.h"
#include "input/point_table.h"
#include "input/source_report.h"
#include "output/converted_point.h"
#include "output/source_doubts.h"

namespace kalmira {

// A source converted: everything a front shows of it. The target's bytes come from
// write_target_file on its table and points.
struct Conversion {
  // False after a read error, or a line or field too large for memory: the rest is then
  // incomplete and shows nothing.
  bool read_completely = false;
  PointTable table;
  SourceReport report;
  std::vector<SourceDoubt> doubts;     // in the order a user best reads them
  std::vector<ConvertedPoint> points;  // one for each counted record

  // A file with neither section is no source at all: a note, a photo.
  bool is_source() const { return report.is_source(); }
  // Whether the doubts find the descriptions in UTF-8 rather than Windows-1252.
  bool descriptions_in_utf8() const;
};

// Reads the whole source from `bytes`, finds what is doubtful about it and converts its points.
Conversion convert_source(ByteSource& bytes);

}  // namespace kalmira
