#pragma once

#include <span>

#include "input/point_table.h"
#include "output/byte_sink.h"
#include "output/converted_point.h"

namespace kalmira {

// Writes one line per counted record, with `points` its conversion: longitude, latitude, then
// the non-empty description pieces each followed by ",", the second first, then the first and
// the third, ended by CR LF.
void write_target_file(ByteSink& target, const PointTable& table,
                       std::span<const ConvertedPoint> points);

}  // namespace kalmira
