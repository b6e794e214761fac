#pragma once

#include "input/byte_source.h"
#include "input/line_reader.h"
#include "input/point_table.h"
#include "input/source_report.h"

namespace kalmira {

// Scans the whole source for its "[COORDINATES]" and "[DESCRIPTION]" sections and fills
// `table` from their entry lines, matched to records by order; notes in `report` what it saw of
// the source besides the points.
void read_source_file(LineReader& source, PointTable& table, SourceReport& report);

// The read phase on raw source bytes. Returns false when the source could not be read to its
// end (an I/O error, or a line or field too large for memory): the table is then incomplete.
bool read_source_completely(ByteSource& bytes, PointTable& table, SourceReport& report);

}  // namespace kalmira
