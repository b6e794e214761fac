#include "output/source_doubts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <optional>
#include <string_view>

#include "input/utf8.h"
#include "numbers/number_parser.h"
#include "output/converted_point.h"

namespace kalmira {
namespace {

// Values of at most this size, in metres, put a point within metres of 0°/0°: they are most
// likely degrees.
constexpr double kLargestDegree = 180;
// A point lies far from the others beyond this distance from their middle, and beyond so many
// times the distance the others themselves keep from it (their median): a typing error rather
// than the far end of one site's or one region's survey.
constexpr double kFarKilometres = 50;
constexpr double kFarFactor = 10;
constexpr double kSphereKilometres = 6371.001;
constexpr std::size_t kLongestQuote = 60;

using Records = std::array<PointRecord, kMaxPoints>;

// The numbers of the records from `first` to `last` (counted from 0) that pass `test`.
template <typename Test>
std::vector<int> points_where(int first, int last, Test test) {
  std::vector<int> points;
  for (int i = first; i < last; ++i) {
    if (test(static_cast<std::size_t>(i))) points.push_back(i + 1);
  }
  return points;
}

void add(std::vector<SourceDoubt>& doubts, Doubt kind, std::vector<int> points) {
  if (!points.empty()) doubts.push_back({kind, std::move(points)});
}

// A counted point's coordinate texts and the numbers the conversion reads in them.
struct Coordinates {
  int point;
  const PointRecord* record;
  const ConvertedPoint* converted;
  NumberReading easting;
  NumberReading northing;

  bool both_numbers() const { return easting.length > 0 && northing.length > 0; }
  bool near_zero() const {
    return both_numbers() && std::fabs(easting.value) <= kLargestDegree &&
           std::fabs(northing.value) <= kLargestDegree;
  }
};

// The points whose easting (or northing) is no number, and those where only its front is one.
void add_number_doubts(std::vector<SourceDoubt>& doubts, const std::vector<Coordinates>& read,
                       std::string PointRecord::*text, NumberReading Coordinates::*number,
                       Doubt no_number, Doubt partly) {
  std::vector<int> none;
  SourceDoubt partial{partly};
  for (const Coordinates& point : read) {
    const std::string_view value = point.record->*text;
    const std::size_t length = (point.*number).length;
    if (length == 0) none.push_back(point.point);
    if (!(point.*number).partial) continue;
    if (partial.points.empty()) {
      partial.quote = value;
      partial.number_read = value.substr(0, length);
      partial.decimal_comma = (value[length] == ',' || value[length] == ';') &&
                              value[length - 1] >= '0' && value[length - 1] <= '9';
    }
    partial.points.push_back(point.point);
  }
  add(doubts, no_number, std::move(none));
  if (!partial.points.empty()) doubts.push_back(std::move(partial));
}

struct Spot {
  int point;
  double longitude;
  double latitude;
};

double kilometres_between(const Spot& a, const Spot& b) {
  const auto radians = [](double degrees) { return degrees * std::numbers::pi / 180; };
  const double half_lat = std::sin(radians(b.latitude - a.latitude) / 2);
  const double half_lon = std::sin(radians(b.longitude - a.longitude) / 2);
  const double h = half_lat * half_lat + std::cos(radians(a.latitude)) *
                                             std::cos(radians(b.latitude)) * half_lon * half_lon;
  return 2 * kSphereKilometres * std::asin(std::sqrt(std::min(h, 1.0)));
}

double median(std::vector<double> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  if (values.size() % 2 == 1) return *middle;
  return (*middle + *std::max_element(values.begin(), middle)) / 2;
}

// Each point of at least three that lies far from the middle of the others.
void add_far_points(std::vector<SourceDoubt>& doubts, const std::vector<Spot>& spots) {
  if (spots.size() < 3) return;
  for (const Spot& spot : spots) {
    std::vector<double> longitudes, latitudes;
    for (const Spot& other : spots) {
      if (other.point == spot.point) continue;
      longitudes.push_back(other.longitude);
      latitudes.push_back(other.latitude);
    }
    const Spot middle{0, median(longitudes), median(latitudes)};
    std::vector<double> spread;
    for (const Spot& other : spots) {
      if (other.point != spot.point) spread.push_back(kilometres_between(other, middle));
    }
    const double distance = kilometres_between(spot, middle);
    if (distance > kFarKilometres && distance > kFarFactor * median(spread)) {
      doubts.push_back({Doubt::kFarFromOthers,
                        {spot.point},
                        0,
                        static_cast<std::int64_t>(std::llround(distance))});
    }
  }
}

enum class Encoding { kAscii, kUtf8, kOther };

// A text in UTF-8 holds sequences of several bytes and no byte above 0x7F outside them.
Encoding encoding_of(std::string_view text) {
  Encoding found = Encoding::kAscii;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = utf8_length(text.substr(i));
    if (length == 0) return Encoding::kOther;
    if (length > 1) found = Encoding::kUtf8;
    i += length;
  }
  return found;
}

// The first piece in UTF-8, where every piece is UTF-8 or plain ASCII, cut to a short quote
// at the start of a character.
void add_utf8_doubt(std::vector<SourceDoubt>& doubts, const Records& records, int count) {
  std::optional<SourceDoubt> doubt;
  for (int i = 0; i < count; ++i) {
    for (const std::string& piece : records[static_cast<std::size_t>(i)].pieces) {
      const Encoding encoding = encoding_of(piece);
      if (encoding == Encoding::kOther) return;
      if (encoding == Encoding::kAscii || doubt) continue;
      std::string_view quote = piece;
      if (quote.size() > kLongestQuote) {
        std::size_t end = kLongestQuote;
        while ((static_cast<unsigned char>(quote[end]) & 0xC0) == 0x80) --end;
        quote = quote.substr(0, end);
      }
      doubt = SourceDoubt{Doubt::kDescriptionsInUtf8, {i + 1}};
      doubt->quote = quote;
    }
  }
  if (doubt) doubts.push_back(std::move(*doubt));
}

// Whether the source has its sections, and whether the table holds all their entry lines.
void add_section_doubts(std::vector<SourceDoubt>& doubts, const PointTable& table,
                        const SourceReport& report) {
  const auto flag = [&](bool doubtful, Doubt kind) {
    if (doubtful) doubts.push_back({kind});
  };
  flag(report.binary, Doubt::kNotText);
  flag(!report.coordinates.found, Doubt::kNoCoordinatesSection);
  flag(!report.descriptions.found, Doubt::kNoDescriptionSection);
  flag(table.count == 0, Doubt::kNoPoints);
  for (const auto& [section, kind] :
       {std::pair(&report.coordinates, Doubt::kCoordinatesOverflow),
        std::pair(&report.descriptions, Doubt::kDescriptionsOverflow)}) {
    if (section->entry_lines > kMaxPoints) doubts.push_back({kind, {}, section->entry_lines});
  }
}

// The points that lack a line of one section, and the lines beyond the count.
void add_matching_doubts(std::vector<SourceDoubt>& doubts, int count, const SourceReport& report) {
  const auto& coordinates = report.with_coordinates;
  const auto& descriptions = report.with_description;
  add(doubts, Doubt::kWithoutCoordinates,
      points_where(0, count, [&](std::size_t i) { return !coordinates[i]; }));
  add(doubts, Doubt::kWithoutDescription,
      points_where(0, count, [&](std::size_t i) { return !descriptions[i]; }));
  add(doubts, Doubt::kCoordinatesNotTaken,
      points_where(count, kMaxPoints, [&](std::size_t i) { return coordinates[i]; }));
  add(doubts, Doubt::kDescriptionsNotTaken,
      points_where(count, kMaxPoints, [&](std::size_t i) { return descriptions[i]; }));
}

// What the coordinate texts of the counted points with a coordinate line say: numbers or not,
// degrees rather than metres, a point far from the others.
void add_place_doubts(std::vector<SourceDoubt>& doubts, const PointTable& table,
                      const SourceReport& report, const std::vector<ConvertedPoint>& points) {
  std::vector<Coordinates> read;
  for (int i = 0; i < table.count; ++i) {
    const auto index = static_cast<std::size_t>(i);
    const PointRecord& record = table.records[index];
    if (report.with_coordinates[index]) {
      read.push_back({i + 1, &record, &points[index], read_number(record.easting),
                      read_number(record.northing)});
    }
  }
  add_number_doubts(doubts, read, &PointRecord::easting, &Coordinates::easting,
                    Doubt::kEastingNoNumber, Doubt::kEastingPartlyNumber);
  add_number_doubts(doubts, read, &PointRecord::northing, &Coordinates::northing,
                    Doubt::kNorthingNoNumber, Doubt::kNorthingPartlyNumber);
  std::vector<int> near_zero;
  // The points a survey places: with both numbers, on the map and away from 0°/0°.
  std::vector<Spot> spots;
  for (const Coordinates& point : read) {
    if (point.near_zero()) near_zero.push_back(point.point);
    if (!point.both_numbers() || point.near_zero() || !point.converted->on_map) continue;
    const Place place = point.converted->place();
    spots.push_back({point.point, place.longitude, place.latitude});
  }
  add(doubts, Doubt::kNearZero, std::move(near_zero));
  add_far_points(doubts, spots);
}

}  // namespace

std::vector<SourceDoubt> source_doubts(const PointTable& table, const SourceReport& report,
                                       const std::vector<ConvertedPoint>& points) {
  std::vector<SourceDoubt> doubts;
  add_section_doubts(doubts, table, report);
  add_matching_doubts(doubts, table.count, report);
  add_place_doubts(doubts, table, report, points);
  add(doubts, Doubt::kOffMap,
      points_where(0, table.count, [&](std::size_t i) { return !points[i].on_map; }));
  add_utf8_doubt(doubts, table.records, table.count);
  return doubts;
}

}  // namespace kalmira
