#include "input/line_reader.h"

#include <algorithm>
#include <cstring>

namespace kalmira {
namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 16;

// Drops the CR of every CR LF pair in data[0, size) and returns the new size. A CR in the last
// position is cut off and reported through `held_cr` when more data may follow it.
std::size_t drop_cr_before_lf(char* data, std::size_t size, bool more_follows, bool& held_cr) {
  std::size_t out = 0;
  std::size_t in = 0;
  while (true) {
    const void* cr = std::memchr(data + in, '\r', size - in);
    const std::size_t stop =
        cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : size;
    if (out != in) std::memmove(data + out, data + in, stop - in);
    out += stop - in;
    if (!cr) return out;
    in = stop + 1;
    if (in == size) {
      if (more_follows) {
        held_cr = true;
      } else {
        data[out++] = '\r';
      }
      return out;
    }
    if (data[in] != '\n') data[out++] = '\r';
  }
}

}  // namespace

LineReader::LineReader(ByteSource& source) : source_(source), buffer_(kBlockSize + 1) {}

// Loads the next block of translated bytes. Returns false once the data are exhausted; a block
// may come back empty when all it held was a CR whose partner is still to be read.
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
  end_ = drop_cr_before_lf(buffer_.data(), size, !source_done_, held_cr_);
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

// Appends one chunk to `target`: bytes up to and including the next line feed, at most
// kChunkSize of them, cut at the first zero byte. Needs has_data() to have returned true.
void LineReader::append_chunk(std::string& target) {
  const std::size_t chunk_start = target.size();
  std::size_t taken = 0;
  while (taken < kChunkSize && has_data()) {
    const std::size_t span = std::min(kChunkSize - taken, end_ - pos_);
    const char* from = buffer_.data() + pos_;
    const void* lf = std::memchr(from, '\n', span);
    const std::size_t count =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - from) + 1 : span;
    target.append(from, count);
    pos_ += count;
    taken += count;
    if (lf) break;
  }
  const std::size_t zero = target.find('\0', chunk_start);
  if (zero != std::string::npos) target.resize(zero);
}

bool LineReader::read_chunk() {
  if (!has_data()) return false;
  line_.clear();
  append_chunk(line_);
  return true;
}

bool LineReader::read_joined_line() {
  if (!read_chunk()) return false;
  std::size_t searched = 0;
  while (line_.find('\n', searched) == std::string::npos && has_data()) {
    searched = line_.size();
    append_chunk(line_);
  }
  return true;
}

}  // namespace kalmira
