#include "driver/character_set.h"

#include <gtest/gtest.h>

#include "case_file.h"

namespace kalmira {
namespace {

TEST(Windows1252ToUtf8, GivesTheCharactersTheBytesStandFor) {
  for (const auto& [line, f] : testing::read_cases("character_set.txt")) {
    EXPECT_EQ(windows1252_to_utf8(f[0]), f[1]) << "line " << line;
  }
}

}  // namespace
}  // namespace kalmira
