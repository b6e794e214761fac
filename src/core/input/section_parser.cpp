#include "input/section_parser.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <string>
#include <string_view>
#include <utility>

#include "input/field_extractor.h"

namespace kalmira {
namespace {

bool contains(std::string_view line, std::string_view text) {
  return line.find(text) != std::string_view::npos;
}

void store_coordinates(LineReader& source, PointRecord& record) {
  record.easting = extract_field(source.line(), '=', 2, ',', 0).text;
  record.northing = extract_field(source.line(), ',', 2, '\n', 0).text;
}

// Each piece's search starts where the previous one was found, so the pieces come in line order.
// The largest piece keeps the line's own bytes, and only the others are copied: a piece may be
// hundreds of megabytes long.
void store_descriptions(LineReader& source, PointRecord& record) {
  const std::string_view line = source.line();
  const FieldPlace place1 = locate_field(line, '=', 2, ',', 0);
  const FieldPlace place2 = locate_field(line, ',', 2, ',', place1.first);
  const FieldPlace place3 = locate_field(line, ',', 2, '\n', place2.first + place2.length);
  const std::array<FieldPlace, 3> places = {place1, place2, place3};
  const auto length = [](const FieldPlace& place) {
    return static_cast<std::size_t>(place.length);
  };
  const auto largest = static_cast<std::size_t>(
      std::max_element(places.begin(), places.end(),
                       [](const auto& a, const auto& b) { return a.length < b.length; }) -
      places.begin());
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (i != largest) record.pieces[i] = line.substr(places[i].start, length(places[i]));
  }
  std::string taken = source.take_line();
  taken.erase(0, places[largest].start);
  taken.resize(length(places[largest]));
  // A piece much smaller than the line's room would hold memory it never uses.
  if (taken.capacity() > 2 * taken.size() + 4096) taken.shrink_to_fit();
  record.pieces[largest] = std::move(taken);
}

// Reads the entry lines that follow a header until a line holds "]", the data end or the table
// is full. On return the current line is the one that ended the block. A line counts whenever
// a read delivered it, even the file's last line without a line feed. Returns whether the
// section goes on beyond the lines the table holds.
bool read_block(LineReader& source, PointTable& table, bool (LineReader::*read_line)(),
                void (*store)(LineReader&, PointRecord&), SectionReport& section,
                std::bitset<kMaxPoints>& filled) {
  bool delivered = (source.*read_line)();
  table.count = 0;
  while (delivered && !contains(source.line(), "]") && table.count < kMaxPoints) {
    store(source, table.records[static_cast<std::size_t>(table.count)]);
    filled.set(static_cast<std::size_t>(table.count));
    delivered = (source.*read_line)();
    ++table.count;
  }
  section.found = true;
  const bool goes_on = delivered && !contains(source.line(), "]");
  section.entry_lines = table.count + (goes_on ? 1 : 0);
  return goes_on;
}

}  // namespace

void read_source_file(LineReader& source, PointTable& table, SourceReport& report) {
  // The section whose entry lines beyond the table's 99 are being counted: they go on until a
  // line holds "]", and none of them can hold a header.
  SectionReport* overflowing = nullptr;
  // Both headers start with "[", so no other line needs a look. Coordinate lines are short and
  // come by plain reads; description lines may be long and are joined into whole lines.
  while (overflowing ? source.read_chunk_with(']', &overflowing->entry_lines)
                     : source.read_chunk_with('[')) {
    overflowing = nullptr;
    if (contains(source.line(), "[COORDINATES]") &&
        read_block(source, table, &LineReader::read_chunk, store_coordinates, report.coordinates,
                   report.with_coordinates)) {
      overflowing = &report.coordinates;
    }
    // The line that ended a coordinates block is examined here too, so a description header
    // right after the coordinate lines is found.
    if (contains(source.line(), "[DESCRIPTION]") &&
        read_block(source, table, &LineReader::read_joined_line, store_descriptions,
                   report.descriptions, report.with_description)) {
      overflowing = &report.descriptions;
    }
  }
}

}  // namespace kalmira
