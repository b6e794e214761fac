#pragma once

#include <string>
#include <vector>

#include "input/point_table.h"
#include "input/source_report.h"

namespace kalmira {

// Whether a point can stand on a map in the spherical Mercator projection: its longitude and
// latitude, as the target gives them, finite, within ±180° and within the projection's limit.
bool is_on_map(const PointRecord& record);

// Hints about a doubtful source, in German and in Windows-1252 like the dialogue, each naming
// the points it concerns: what the target leaves out or reads as 0, which points lie off the
// map, and whether the source looks like another kind of file. None for a sound source.
std::vector<std::string> source_hints(const PointTable& table, const SourceReport& report);

}  // namespace kalmira
