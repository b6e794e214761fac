#include "input/line_reader.h"

#include <gtest/gtest.h>

#include <random>
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

// The chunks holding `marker` in the order plain reads deliver them, and the end flag at last.
std::vector<std::string> marked_chunks(const std::string& bytes, char marker, bool skipping) {
  MemorySource source(bytes);
  LineReader reader(source);
  std::vector<std::string> chunks;
  while (skipping ? reader.read_chunk_with(marker) : reader.read_chunk()) {
    if (reader.line().find(marker) != std::string::npos) chunks.emplace_back(reader.line());
  }
  chunks.push_back(reader.at_end_of_input() ? "at end" : "not at end");
  return chunks;
}

TEST(LineReader, PassingOverChunksFindsWhatPlainReadsFind) {
  std::mt19937 random(2026);
  const std::string alphabet("aaaaaaaaaaaaaaaa[\r\0", 19);
  for (int round = 0; round < 20; ++round) {
    std::string bytes;
    while (bytes.size() < 200'000) {
      const std::size_t length = random() % (round % 2 == 0 ? 120 : 400);
      for (std::size_t i = 0; i < length; ++i) bytes += alphabet[random() % alphabet.size()];
      bytes += random() % 2 == 0 ? "\r\n" : "\n";
    }
    for (const char marker : {'[', '\n', '\r'}) {
      EXPECT_EQ(marked_chunks(bytes, marker, true), marked_chunks(bytes, marker, false))
          << "round " << round << ", marker " << int{marker};
    }
  }
}

}  // namespace
}  // namespace kalmira
