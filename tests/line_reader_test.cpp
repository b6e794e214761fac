#include "input/line_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "case_file.h"

namespace kalmira {
namespace {

// Each read as a case table writes it: the line, after a mark for what the read did.
std::string read_once(LineReader& reader, bool joined) {
  const bool delivered = joined ? reader.read_joined_line() : reader.read_chunk();
  return (delivered ? reader.at_end_of_input() ? "!" : "+" : "-") + std::string(reader.line());
}

std::vector<std::string> all_reads(const std::string& bytes, bool joined) {
  MemorySource source(bytes);
  LineReader reader(source);
  std::vector<std::string> reads{read_once(reader, joined)};
  while (reads.back()[0] != '-') reads.push_back(read_once(reader, joined));
  EXPECT_FALSE(reader.failed());
  return reads;
}

TEST(LineReader, ReadsChunksByTheTextModeRules) {
  for (const auto& [line, f] : testing::read_cases("line_reader.txt")) {
    const std::vector<std::string> expected(f.begin() + 2, f.end());
    EXPECT_EQ(all_reads(f[1], f[0] == "joined"), expected) << "line " << line;
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
