#include "input/section_parser.h"

#include <gtest/gtest.h>

#include "case_file.h"
#include "input/byte_source.h"

namespace kalmira {
namespace {

TEST(ReadSourceFile, FillsTheTableByTheSectionRules) {
  for (const auto& [line, f] : testing::read_cases("section_parser.txt")) {
    MemorySource bytes(f[0]);
    LineReader reader(bytes);
    PointTable table;
    EXPECT_EQ(read_source_file(reader, table), std::stoi(f[1])) << "line " << line;
    EXPECT_EQ(table.count, std::stoi(f[1])) << "line " << line;
    if (f.size() > 2) {
      const PointRecord expected{f[3], f[4], f[5], f[6], f[7]};
      EXPECT_EQ(table.records.at(std::stoul(f[2])), expected) << "line " << line;
    }
  }
}

}  // namespace
}  // namespace kalmira
