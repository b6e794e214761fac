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

}  // namespace kalmira
