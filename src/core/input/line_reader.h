#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/byte_source.h"
#include "input/line_buffer.h"

namespace kalmira {

// Longest piece of a line that one plain read delivers.
inline constexpr std::size_t kChunkSize = 99;

// Reads a source as a Windows text file: CR LF arrives as LF, a lone CR stays, and the first
// Ctrl-Z ends the data. Lines come in chunks of at most kChunkSize bytes; each chunk's text ends
// at its first zero byte. The current line survives a read that finds no data.
class LineReader {
 public:
  explicit LineReader(ByteSource& source);

  // Plain read: replaces the current line with the next chunk. Returns whether a chunk came.
  bool read_chunk();
  // Plain reads until a chunk's text holds `marker`; returns false when the data end first.
  // Chunks without it are passed over uncopied, so ignored text costs little more than a search.
  // Adds to `lines_passed`, if given, the lines that end in the chunks without it (the data's
  // last line also without its line feed).
  bool read_chunk_with(char marker, std::int64_t* lines_passed = nullptr);
  // Joined read: a plain read, then further chunks appended until the line holds its line feed
  // or the data end. Returns whether the first plain read delivered a chunk.
  bool read_joined_line();
  // Set once a read looked for more data and found none; never cleared.
  bool at_end_of_input() const { return at_end_; }
  // Whether the data ended because the source failed rather than ran out.
  bool failed() const { return failed_; }

  std::string_view line() const { return line_.view(); }
  // Gives the current line's bytes away; the line is empty after.
  std::string take_line() { return line_.take(); }

 private:
  bool has_data();
  bool refill();
  std::optional<std::size_t> room() const;
  std::string_view chunk_part(bool& complete) const;
  void append_chunk();
  void skip_chunks_without(char marker);

  ByteSource& source_;
  std::vector<char> buffer_;  // raw bytes; CR LF pairs are translated as chunks are taken
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::size_t column_ = 0;  // bytes of the current physical line taken so far, after translation
  bool held_cr_ = false;    // a CR ended the last raw block; its partner may come next
  bool source_done_ = false;
  bool at_end_ = false;
  bool failed_ = false;
  LineBuffer line_;
};

}  // namespace kalmira
