#pragma once

#include <array>
#include <string>

namespace kalmira {

// One point as read from the source file: the raw coordinate texts and the three description
// pieces as the source holds them (the target writes each non-empty one followed by ",").
struct PointRecord {
  std::string easting;
  std::string northing;
  std::array<std::string, 3> pieces;

  bool operator==(const PointRecord&) const = default;
};

inline constexpr int kMaxPoints = 99;

// Filled by the read phase, written by the write phase. `count` is the number of
// entry lines taken by the last section block that ran; only records below it are written.
struct PointTable {
  std::array<PointRecord, kMaxPoints> records;
  int count = 0;
};

}  // namespace kalmira
