// Every component's case table, run through the component, one test a row (named after its
// table and line): each table names how many leading fields a row gives and what the component
// makes of them, to be equal to the trailing fields.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "case_file.h"
#include "conversion.h"
#include "input/field_extractor.h"
#include "input/line_reader.h"
#include "numbers/number_parser.h"
#include "output/converted_point.h"
#include "output/number_format.h"
#include "output/target_name.h"
#include "output/target_writer.h"
#include "windows1252.h"

namespace kalmira {
namespace {

using Fields = std::vector<std::string>;

// A double's exact value, the sign of zero included; every NaN is "nan".
std::string exactly(double value) {
  char text[40] = "nan";
  if (!std::isnan(value)) std::snprintf(text, sizeof text, "%a", value);
  return text;
}

std::string nine_decimals(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%.9f", value);
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

// The count, and the record a case names: index, easting, northing, the three pieces.
Fields read_sections(const Fields& f) {
  MemorySource bytes(f[0]);
  const PointTable table = convert_source(bytes).table;
  Fields read{std::to_string(table.count)};
  if (f.size() > 2) {
    const PointRecord& r = table.records.at(std::stoul(f[2]));
    read.insert(read.end(), {f[2], r.easting, r.northing});
    read.insert(read.end(), r.pieces.begin(), r.pieces.end());
  }
  return read;
}

// One counted record and one that is not.
Fields write_record(const Fields& f) {
  PointTable table{
      {PointRecord{f[0], f[1], {f[2], f[3], f[4]}}, {"1", "1", {"not", "counted", ""}}}, 1};
  StringSink sink;
  write_target_file(sink, table, std::vector{convert_point(table.records[0])});
  return {sink.bytes()};
}

struct Table {
  const char* name;
  std::size_t inputs;
  std::function<Fields(const Fields&)> run;
};

const Table kTables[] = {
    {"extract_field", 5,
     [](const Fields& f) {
       const ExtractResult r =
           extract_field(f[0], f[1][0], std::stoi(f[2]), f[3][0], std::stoi(f[4]));
       const bool length_right = r.length == static_cast<std::ptrdiff_t>(r.text.size());
       return Fields{r.text, std::to_string(r.first) + (length_right ? "" : " (wrong length)")};
     }},
    {"line_reader", 2, [](const Fields& f) { return all_reads(f[1], f[0] == "joined"); }},
    {"section_parser", 1, read_sections},
    // The expected number is a text that strtod reads exactly; then the length read.
    {"numbers", 1,
     [](const Fields& f) {
       const NumberReading number = read_number(f[0]);
       const std::string value = exactly(number.value);
       return Fields{value == exactly(std::strtod(f[1].c_str(), nullptr)) ? f[1] : value,
                     std::to_string(number.length)};
     }},
    {"coordinates", 1,
     [](const Fields& f) {
       const ConvertedPoint point = convert_point({f[0], f[0], {}});
       return Fields{point.target.longitude, point.target.latitude, nine_decimals(point.longitude),
                     nine_decimals(point.latitude)};
     }},
    {"number_format", 1,
     [](const Fields& f) {
       return Fields{format_eight_decimals(std::strtof(f[0].c_str(), nullptr))};
     }},
    {"target_writer", 5, write_record},
    {"target_name", 1, [](const Fields& f) { return Fields{derive_target_name(f[0])}; }},
    {"windows1252", 1, [](const Fields& f) { return Fields{windows1252_to_utf8(f[0])}; }},
    {"utf8", 1, [](const Fields& f) { return Fields{utf8_to_windows1252(f[0])}; }},
};

struct Row {
  const Table* table;
  testing::Case row;
};

void PrintTo(const Row& row, std::ostream* out) {
  *out << row.table->name << ".txt line " << row.row.line;
}

class CaseTable : public ::testing::TestWithParam<Row> {};

TEST_P(CaseTable, GivesWhatItsRowSays) {
  const auto& [table, row] = GetParam();
  const auto expected = row.fields.begin() + static_cast<std::ptrdiff_t>(table->inputs);
  EXPECT_EQ(table->run(row.fields), Fields(expected, row.fields.end()));
}

std::vector<Row> every_row() {
  std::vector<Row> rows;
  for (const Table& table : kTables) {
    for (testing::Case& row : testing::read_cases(table.name + std::string(".txt"))) {
      rows.push_back({&table, std::move(row)});
    }
  }
  return rows;
}

std::string row_name(const ::testing::TestParamInfo<Row>& row) {
  return row.param.table->name + std::string("_line_") + std::to_string(row.param.row.line);
}

INSTANTIATE_TEST_SUITE_P(Tables, CaseTable, ::testing::ValuesIn(every_row()), row_name);

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
