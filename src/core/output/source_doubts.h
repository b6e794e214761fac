#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "input/point_table.h"
#include "input/source_report.h"
#include "output/converted_point.h"

namespace kalmira {

// What makes a source doubtful: something the target leaves out, reads differently from what
// the source seems to mean, or places where no survey lies.
enum class Doubt {
  kNotText,               // a zero byte near the start: a picture or a program, not text
  kNoCoordinatesSection,  // no "[COORDINATES]" header
  kNoDescriptionSection,  // no "[DESCRIPTION]" header
  kNoPoints,              // the target is empty
  kCoordinatesOverflow,   // `entries` coordinate lines; the table holds 99
  kDescriptionsOverflow,  // `entries` description lines; the table holds 99
  kWithoutCoordinates,    // `points` have no coordinate line: they land at 0°/0°
  kWithoutDescription,    // `points` have no description line
  kCoordinatesNotTaken,   // `points` beyond the count had a coordinate line
  kDescriptionsNotTaken,  // `points` beyond the count had a description line
  kEastingNoNumber,       // `points` have an easting without a number, read as 0
  kNorthingNoNumber,      // likewise their northing
  kEastingPartlyNumber,   // `points` have an easting of which only the front is a number
  kNorthingPartlyNumber,  // likewise their northing
  kNearZero,              // `points` have both values so small that they lie at 0°/0°
  kFarFromOthers,         // `points` (one) lies `kilometres` from the middle of the others
  kOffMap,                // `points` cannot stand on a map
  // Every piece is UTF-8 and some hold letters beyond ASCII, first at `points` (one): `quote`.
  kDescriptionsInUtf8,
};

struct SourceDoubt {
  Doubt kind;
  std::vector<int> points = {};  // numbered from 1, ascending
  std::int64_t entries = 0;
  std::int64_t kilometres = 0;
  // A partly numeric text: the first such text, and the bytes of it that were read as the
  // number; `decimal_comma` where a "," or ";" follows its digits. A UTF-8 piece, its first.
  std::string quote = {};
  std::string number_read = {};
  bool decimal_comma = false;
};

// The doubts about a source, found in the table and the report its reading filled, in the
// order a user best reads them; none for a sound source.
// `points` are the table's counted records converted.
std::vector<SourceDoubt> source_doubts(const PointTable& table, const SourceReport& report,
                                       const std::vector<ConvertedPoint>& points);

}  // namespace kalmira
