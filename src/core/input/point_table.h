#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kalmira {

// One point as read from the source file: the raw coordinate texts and the three
// description pieces, each non-empty piece already ending in ",".
struct PointRecord {
  std::string easting;
  std::string northing;
  std::string desc1;
  std::string desc2;
  std::string desc3;

  bool operator==(const PointRecord&) const = default;
};

// A description piece as the source holds it, without the "," it is stored with.
inline std::string_view piece_text(std::string_view piece) {
  return piece.substr(0, piece.empty() ? 0 : piece.size() - 1);
}

inline constexpr int kMaxPoints = 99;

// Filled by the read phase, written by the write phase. `count` is the number of
// entry lines taken by the last section block that ran; only records below it are written.
struct PointTable {
  std::array<PointRecord, kMaxPoints> records;
  int count = 0;
};

}  // namespace kalmira
