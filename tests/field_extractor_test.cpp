#include "input/field_extractor.h"

#include <gtest/gtest.h>

#include "case_file.h"

namespace kalmira {
namespace {

TEST(ExtractField, CutsFieldsWithTheirPositions) {
  for (const auto& [line, f] : testing::read_cases("extract_field.txt")) {
    const ExtractResult result =
        extract_field(f[0], f[1][0], std::stoi(f[2]), f[3][0], std::stoi(f[4]));
    EXPECT_EQ(result.text, f[5]) << "line " << line;
    EXPECT_EQ(result.length, static_cast<std::ptrdiff_t>(f[5].size())) << "line " << line;
    EXPECT_EQ(result.first, std::stoi(f[6])) << "line " << line;
  }
}

}  // namespace
}  // namespace kalmira
