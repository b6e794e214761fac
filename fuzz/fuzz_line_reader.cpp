// The reader's fast path against its plain reads: passing over chunks without a marker must
// find exactly the chunks that plain reads deliver with it, and count the lines that end in the
// chunks between them (the last line of the data also without its line feed), and every chunk
// must keep its limits.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "input/byte_source.h"
#include "input/line_reader.h"

namespace {

// The chunks with the marker, then the number of lines ended between them.
std::vector<std::string> chunks_with(std::string_view bytes, char marker, bool skipping) {
  kalmira::MemorySource source(bytes);
  kalmira::LineReader reader(source);
  std::vector<std::string> chunks;
  std::int64_t lines = 0;
  while (skipping ? reader.read_chunk_with(marker, &lines) : reader.read_chunk()) {
    const std::string_view line = reader.line();
    const std::size_t lf = line.find('\n');
    if (line.size() > kalmira::kChunkSize || line.find('\0') != std::string_view::npos ||
        (lf != std::string_view::npos && lf + 1 != line.size())) {
      std::abort();
    }
    if (line.find(marker) != std::string_view::npos) {
      chunks.emplace_back(line);
    } else if (!skipping && (line.ends_with('\n') || reader.at_end_of_input())) {
      ++lines;
    }
  }
  chunks.push_back(reader.at_end_of_input() ? "end" : "no end");
  // A zero byte cuts a plain read's text, line feed and all: there only the chunks compare.
  if (bytes.find('\0') == std::string_view::npos) chunks.push_back(std::to_string(lines));
  return chunks;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char marker = static_cast<char>(data[0]);
  // Repeating the input pushes its lines across the reader's block boundaries.
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  while (!bytes.empty() && bytes.size() < 70'000) bytes += bytes;
  if (chunks_with(bytes, marker, true) != chunks_with(bytes, marker, false)) std::abort();
  return 0;
}
