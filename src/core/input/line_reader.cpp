#include "input/line_reader.h"

#include <algorithm>
#include <cstring>

namespace kalmira {
namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 16;

}  // namespace

LineReader::LineReader(ByteSource& source) : source_(source), buffer_(kBlockSize + 1) {}

// Loads the next raw block. Returns false once the data are exhausted; a block may come back
// empty when all it held was a CR whose partner is still to be read.
bool LineReader::refill() {
  pos_ = 0;
  end_ = 0;
  if (source_done_) return false;
  std::size_t size = 0;
  if (held_cr_) buffer_[size++] = '\r';
  held_cr_ = false;
  const std::size_t got = source_.read(std::span(buffer_).subspan(size, kBlockSize));
  if (got == 0) {
    source_done_ = true;
    failed_ = source_.failed();
  } else if (const void* ctrl_z = std::memchr(buffer_.data() + size, '\x1A', got)) {
    source_done_ = true;
    size = static_cast<std::size_t>(static_cast<const char*>(ctrl_z) - buffer_.data());
  } else {
    size += got;
  }
  // Keeping a final CR for the next block means a CR LF pair never straddles two blocks.
  if (!source_done_ && size > 0 && buffer_[size - 1] == '\r') {
    held_cr_ = true;
    --size;
  }
  end_ = size;
  return end_ > 0 || !source_done_;
}

bool LineReader::has_data() {
  while (pos_ == end_) {
    if (!refill()) {
      at_end_ = true;
      return false;
    }
  }
  return true;
}

// The raw bytes of the current chunk that lie in the block: through its line feed, through its
// last byte, or to the block's end, where `complete` stays false.
std::string_view LineReader::chunk_part(bool& complete) const {
  const std::size_t room = kChunkSize - column_ % kChunkSize;
  const std::string_view rest(buffer_.data() + pos_, end_ - pos_);
  // CR LF counts as one byte, so the line feed may stand one byte beyond the room.
  const std::size_t lf = rest.substr(0, room + 1).find('\n');
  const bool after_cr = lf != std::string_view::npos && lf > 0 && rest[lf - 1] == '\r';
  if (lf != std::string_view::npos && (after_cr ? lf : lf + 1) <= room) {
    complete = true;
    return rest.substr(0, lf + 1);
  }
  complete = rest.size() >= room;
  return rest.substr(0, room);
}

// Appends one chunk to the line, its CR LF translated and its text cut at the first zero byte.
// Needs has_data() to have returned true.
void LineReader::append_chunk() {
  bool cut = false;
  bool complete = false;
  do {
    const std::string_view part = chunk_part(complete);
    pos_ += part.size();
    const bool ends_line = part.back() == '\n';
    column_ = ends_line ? 0 : column_ + part.size();
    if (cut) continue;
    if (const std::size_t zero = part.find('\0'); zero != std::string_view::npos) {
      line_.append(part.substr(0, zero), room());
      cut = true;
    } else if (ends_line && part.size() > 1 && part[part.size() - 2] == '\r') {
      line_.append(part.substr(0, part.size() - 2), room());
      line_.append("\n", room());
    } else {
      line_.append(part, room());
    }
  } while (!complete && has_data());
}

// The most the current line can still grow by: the raw bytes not taken yet, where the source
// knows how many it has left.
std::optional<std::size_t> LineReader::room() const {
  const std::optional<std::size_t> unread = source_.remaining();
  if (!unread) return std::nullopt;
  return *unread + (end_ - pos_) + (held_cr_ ? 1 : 0);
}

bool LineReader::read_chunk() {
  if (!has_data()) return false;
  line_.clear();
  append_chunk();
  return true;
}

bool LineReader::read_joined_line() {
  if (!read_chunk()) return false;
  std::size_t searched = 0;
  while (line().find('\n', searched) == std::string_view::npos && has_data()) {
    searched = line().size();
    append_chunk();
  }
  return true;
}

// Moves to the start of the chunk that holds the block's next `marker` or, when there is none,
// of the chunk that the block's end cuts. No chunk passed over holds the marker.
void LineReader::skip_chunks_without(char marker) {
  const std::string_view rest(buffer_.data() + pos_, end_ - pos_);
  std::size_t limit = std::min(rest.find(marker), rest.size());
  // A CR LF pair is one byte and lies in one chunk: a marked line feed counts from its CR.
  if (limit > 0 && limit < rest.size() && rest[limit] == '\n' && rest[limit - 1] == '\r') --limit;
  const std::string_view passed = rest.substr(0, limit);
  // Behind the last line feed the chunks lie every kChunkSize bytes: no CR LF pair is in there.
  const std::size_t lf = passed.rfind('\n');
  const std::size_t line_start = lf == std::string_view::npos ? 0 : lf + 1;
  const std::size_t column = (line_start == 0 ? column_ : 0) + passed.size() - line_start;
  pos_ += passed.size() - column % kChunkSize;
  column_ = column - column % kChunkSize;
}

bool LineReader::read_chunk_with(char marker, std::int64_t* lines_passed) {
  while (has_data()) {
    const std::size_t passed_from = pos_;
    skip_chunks_without(marker);
    if (lines_passed) *lines_passed += std::count(&buffer_[passed_from], &buffer_[pos_], '\n');
    if (pos_ == end_ || !read_chunk()) continue;
    if (line().find(marker) != std::string_view::npos) return true;
    if (lines_passed && (column_ == 0 || at_end_)) ++*lines_passed;
  }
  return false;
}

}  // namespace kalmira
