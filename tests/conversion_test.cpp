#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "case_file.h"
#include "numbers/number_parser.h"
#include "output/coordinate_conversion.h"
#include "output/number_format.h"

namespace kalmira {
namespace {

TEST(ParseNumber, ReadsTheNumberAtTheFrontLikeThePosixLocale) {
  for (const auto& [line, f] : testing::read_cases("numbers.txt")) {
    const double value = parse_number(f[0]);
    if (f[1] == "nan") {
      EXPECT_TRUE(std::isnan(value)) << "line " << line;
    } else {
      const double expected = std::strtod(f[1].c_str(), nullptr);
      EXPECT_EQ(value, expected) << "line " << line;
      EXPECT_EQ(std::signbit(value), std::signbit(expected)) << "line " << line;
    }
  }
}

TEST(FormatEightDecimals, PrintsTheExactDigitsRoundedAtTheEighthDecimal) {
  for (const auto& [line, f] : testing::read_cases("number_format.txt")) {
    EXPECT_EQ(format_eight_decimals(std::strtof(f[0].c_str(), nullptr)), f[1]) << "line " << line;
  }
}

TEST(CoordinateConversion, InvertsTheSphericalMercatorProjection) {
  EXPECT_NEAR(easting_to_longitude("1000000"), 8.9932144, 1e-7);
  EXPECT_NEAR(northing_to_latitude("0"), -0.0000025045, 1e-10);
  for (const auto& [line, f] : testing::read_cases("coordinates.txt")) {
    EXPECT_EQ(format_eight_decimals(static_cast<float>(easting_to_longitude(f[0]))), f[1])
        << "line " << line;
    EXPECT_EQ(format_eight_decimals(static_cast<float>(northing_to_latitude(f[0]))), f[2])
        << "line " << line;
  }
}

}  // namespace
}  // namespace kalmira
