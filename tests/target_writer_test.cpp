#include "output/target_writer.h"

#include <gtest/gtest.h>

#include "case_file.h"

namespace kalmira {
namespace {

TEST(WriteTargetFile, WritesOneLinePerCountedRecord) {
  PointTable table;
  std::string expected;
  for (const auto& [line, f] : testing::read_cases("target_writer.txt")) {
    table.records.at(static_cast<std::size_t>(table.count++)) = {f[0], f[1], f[2], f[3], f[4]};
    expected += f[5];
  }
  table.records[static_cast<std::size_t>(table.count)] = {"1", "1", "not", "counted", ","};
  StringSink sink;
  write_target_file(sink, table);
  EXPECT_EQ(sink.bytes(), expected);
}

}  // namespace
}  // namespace kalmira
