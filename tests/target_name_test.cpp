#include "output/target_name.h"

#include <gtest/gtest.h>

#include "case_file.h"

namespace kalmira {
namespace {

TEST(DeriveTargetName, KeepsTheFolderAndReplacesTheExtension) {
  for (const auto& [line, f] : testing::read_cases("target_name.txt")) {
    EXPECT_EQ(derive_target_name(f[0]), f[1]) << "line " << line;
  }
}

}  // namespace
}  // namespace kalmira
