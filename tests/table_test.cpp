// Every component's case table, run through the component: each table names how many leading
// fields a case gives and what the component makes of them, to be equal to the trailing fields.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "case_file.h"
#include "driver/character_set.h"
#include "input/field_extractor.h"
#include "input/section_parser.h"
#include "numbers/number_parser.h"
#include "output/number_format.h"
#include "output/source_hints.h"
#include "output/target_name.h"
#include "output/target_writer.h"

namespace kalmira {
namespace {

using Fields = std::vector<std::string>;

// A double's exact value, the sign of zero included; every NaN is "nan".
std::string exactly(double value) {
  char text[40] = "nan";
  if (!std::isnan(value)) std::snprintf(text, sizeof text, "%a", value);
  return text;
}

// Each read as line_reader.txt writes it: the line after a mark for what the read did, "+" (a
// chunk came), "!" (a chunk came and the input is now at its end) or "-" (nothing came).
Fields all_reads(const std::string& bytes, bool joined) {
  MemorySource source(bytes);
  LineReader reader(source);
  Fields reads;
  for (bool delivered = true; delivered;) {
    delivered = joined ? reader.read_joined_line() : reader.read_chunk();
    const char* mark = !delivered ? "-" : reader.at_end_of_input() ? "!" : "+";
    reads.push_back(mark + std::string(reader.line()));
  }
  if (reader.failed()) reads.emplace_back("failed");
  return reads;
}

// The count, and the record a case names: index, easting, northing, desc1 to desc3.
Fields read_sections(const Fields& f) {
  MemorySource bytes(f[0]);
  LineReader reader(bytes);
  PointTable table;
  const int count = read_source_file(reader, table);
  Fields read{std::to_string(count) +
              (table.count == count ? "" : " but the table counts " + std::to_string(table.count))};
  if (f.size() > 2) {
    const PointRecord& r = table.records.at(std::stoul(f[2]));
    read.insert(read.end(), {f[2], r.easting, r.northing, r.desc1, r.desc2, r.desc3});
  }
  return read;
}

// One counted record and one that is not.
Fields write_record(const Fields& f) {
  PointTable table{{PointRecord{f[0], f[1], f[2], f[3], f[4]}, {"1", "1", "not", "counted", ","}},
                   1};
  StringSink sink;
  write_target_file(sink, table);
  return {sink.bytes()};
}

Fields hints_about(const Fields& f) {
  MemorySource bytes(f[0]);
  PointTable table;
  SourceReport report;
  read_source_completely(bytes, table, report);
  return source_hints(table, report);
}

struct Table {
  const char* name;
  std::size_t inputs;
  std::function<Fields(const Fields&)> run;
};

const Table kTables[] = {
    {"extract_field.txt", 5,
     [](const Fields& f) {
       const ExtractResult r =
           extract_field(f[0], f[1][0], std::stoi(f[2]), f[3][0], std::stoi(f[4]));
       const bool length_right = r.length == static_cast<std::ptrdiff_t>(r.text.size());
       return Fields{r.text, std::to_string(r.first) + (length_right ? "" : " (wrong length)")};
     }},
    {"line_reader.txt", 2, [](const Fields& f) { return all_reads(f[1], f[0] == "joined"); }},
    {"section_parser.txt", 1, read_sections},
    // The expected number is a text that strtod reads exactly.
    {"numbers.txt", 1,
     [](const Fields& f) {
       const std::string value = exactly(parse_number(f[0]));
       return Fields{value == exactly(std::strtod(f[1].c_str(), nullptr)) ? f[1] : value};
     }},
    {"coordinates.txt", 1,
     [](const Fields& f) {
       const Position position = position_of({f[0], f[0], "", "", ""});
       return Fields{position.longitude, position.latitude};
     }},
    {"number_format.txt", 1,
     [](const Fields& f) {
       return Fields{format_eight_decimals(std::strtof(f[0].c_str(), nullptr))};
     }},
    {"target_writer.txt", 5, write_record},
    {"hints.txt", 1, hints_about},
    {"target_name.txt", 1, [](const Fields& f) { return Fields{derive_target_name(f[0])}; }},
    {"character_set.txt", 1, [](const Fields& f) { return Fields{windows1252_to_utf8(f[0])}; }},
};

TEST(CaseTables, EveryComponentGivesWhatItsTableSays) {
  for (const Table& table : kTables) {
    for (const auto& [line, f] : testing::read_cases(table.name)) {
      EXPECT_EQ(table.run(f), Fields(f.begin() + static_cast<long>(table.inputs), f.end()))
          << table.name << " line " << line;
    }
  }
}

TEST(LineReader, CrLfOnAnyBlockBoundaryIsOneLineFeed) {
  // The CR right before, on and after every power-of-two position a read buffer may end at.
  for (std::size_t boundary = 512; boundary <= std::size_t{1} << 20; boundary *= 2) {
    for (std::size_t cr_at = boundary - 2; cr_at <= boundary; ++cr_at) {
      const std::string head(cr_at, 'y');
      EXPECT_EQ(all_reads(head + "\r\nz\r\n", false), all_reads(head + "\nz\n", false)) << cr_at;
    }
  }
}

}  // namespace
}  // namespace kalmira
