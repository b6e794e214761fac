#include "output/source_hints.h"

#include <bitset>
#include <cmath>
#include <cstddef>
#include <string_view>

#include "numbers/number_parser.h"
#include "output/target_writer.h"

namespace kalmira {
namespace {

// The projection's latitude limit, atan(sinh(pi)) in degrees: the map is square there.
constexpr double kMercatorLimit = 85.0511287798066;
constexpr std::size_t kLongestQuote = 60;
constexpr const char* kNotTaken =
    "nicht \xFC"
    "bernommen";

// "Punkt 3" or "Punkte 1, 4\x965" (an en dash in Windows-1252) for points numbered from 1.
std::string points_named(const std::vector<int>& points) {
  std::string text = points.size() == 1 ? "Punkt " : "Punkte ";
  for (std::size_t i = 0; i < points.size();) {
    std::size_t last = i;
    while (last + 1 < points.size() && points[last + 1] == points[last] + 1) ++last;
    text += (i > 0 ? ", " : "") + std::to_string(points[i]);
    if (last > i) text += "\x96" + std::to_string(points[last]);
    i = last + 1;
  }
  return text;
}

// The numbers of the points from `first` to `last` (counted from 0) that pass `test`.
template <typename Test>
std::vector<int> points_where(int first, int last, Test test) {
  std::vector<int> points;
  for (int i = first; i < last; ++i) {
    if (test(static_cast<std::size_t>(i))) points.push_back(i + 1);
  }
  return points;
}

// The records from `first` to `last` that a block did, or did not, fill, numbered from 1.
std::vector<int> points_filled(const std::bitset<kMaxPoints>& filled, int first, int last,
                               bool value) {
  return points_where(first, last, [&](std::size_t i) { return filled[i] == value; });
}

// Adds `before`, the points named, then `after` as a hint, if there are points.
void hint_points(std::vector<std::string>& hints, const std::vector<int>& points,
                 const std::string& before, const std::string& after) {
  if (!points.empty()) hints.push_back(before + points_named(points) + after);
}

// Bytes that hold at least one UTF-8 sequence of several bytes and no byte above 0x7F
// outside such sequences: a text in UTF-8 rather than in Windows-1252.
bool looks_like_utf8(std::string_view text) {
  bool sequence_seen = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) continue;
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    sequence_seen = true;
    i += length - 1;
  }
  return sequence_seen;
}

void hint_overflow(std::vector<std::string>& hints, const char* header,
                   const SectionReport& section) {
  if (section.entry_lines <= kMaxPoints) return;
  hints.push_back("Der Abschnitt " + std::string(header) + " hat " +
                  std::to_string(section.entry_lines) + " Eintr\xE4ge; eine Zieldatei fasst " +
                  std::to_string(kMaxPoints) + ", " + kNotTaken + ": " +
                  std::to_string(section.entry_lines - kMaxPoints) + ", ab Eintrag " +
                  std::to_string(kMaxPoints + 1) + ".");
}

}  // namespace

bool is_on_map(const PointRecord& record) {
  const Place place = place_of(record);
  return std::isfinite(place.longitude) && std::isfinite(place.latitude) &&
         std::fabs(place.longitude) <= 180 && std::fabs(place.latitude) <= kMercatorLimit;
}

std::vector<std::string> source_hints(const PointTable& table, const SourceReport& report) {
  std::vector<std::string> hints;
  const auto& records = table.records;
  const int count = table.count;
  if (report.binary) {
    hints.emplace_back(
        "Die Quelldatei sieht nicht nach Text aus (sie enth\xE4lt Nullbytes); "
        "ist es wirklich eine .bcr-Datei?");
  }
  if (!report.coordinates.found) {
    hints.emplace_back("Die Quelldatei hat keinen Abschnitt [COORDINATES].");
  }
  if (!report.descriptions.found) {
    hints.emplace_back("Die Quelldatei hat keinen Abschnitt [DESCRIPTION].");
  }
  if (count == 0) hints.emplace_back("Die Zieldatei enth\xE4lt keine Punkte.");
  hint_overflow(hints, "[COORDINATES]", report.coordinates);
  hint_overflow(hints, "[DESCRIPTION]", report.descriptions);

  const auto& coordinates = report.with_coordinates;
  const auto& descriptions = report.with_description;
  hint_points(hints, points_filled(coordinates, 0, count, false), "",
              " ohne Koordinaten: L\xE4nge und Breite sind 0 (ein Punkt im Golf von Guinea).");
  hint_points(hints, points_filled(descriptions, 0, count, false), "", " ohne Beschreibung.");
  const auto not_taken = [&](const std::bitset<kMaxPoints>& filled, const std::string& what) {
    const std::vector<int> points = points_filled(filled, count, kMaxPoints, true);
    hint_points(hints, points,
                what + ", " + kNotTaken + ": " + std::to_string(points.size()) + " (", ").");
  };
  not_taken(coordinates, "Koordinaten ohne Beschreibung");
  not_taken(descriptions, "Beschreibungen ohne Koordinaten");
  const auto not_a_number = [&](std::string PointRecord::*text, const std::string& what) {
    const auto unreadable = [&](std::size_t i) {
      return coordinates[i] && !holds_number(records[i].*text);
    };
    hint_points(hints, points_where(0, count, unreadable),
                what + " keine Zahl, als 0 gelesen: ", ".");
  };
  not_a_number(&PointRecord::easting, "Rechtswert");
  not_a_number(&PointRecord::northing, "Hochwert");
  hint_points(hints, points_where(0, count, [&](std::size_t i) { return !is_on_map(records[i]); }),
              "Nicht auf der Karte (L\xE4nge oder Breite keine endliche Zahl oder jenseits der "
              "Grenzen der Mercator-Projektion): ",
              ".");

  for (int i = 0; i < count; ++i) {
    const PointRecord& record = records[static_cast<std::size_t>(i)];
    for (const std::string* piece : {&record.desc1, &record.desc2, &record.desc3}) {
      if (!looks_like_utf8(*piece)) continue;
      hints.push_back(
          "Die Beschreibungen sehen nach UTF-8 aus, nicht nach Windows-1252; "
          "Umlaute erscheinen dann falsch. Zuerst bei Punkt " +
          std::to_string(i + 1) + ": \xAB" +
          std::string(piece_text(*piece).substr(0, kLongestQuote)) + "\xBB");
      return hints;
    }
  }
  return hints;
}

}  // namespace kalmira
