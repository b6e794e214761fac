#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <span>
#include <string_view>

namespace kalmira {

// Raw bytes of a source, as stored: no line-end translation happens here.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills the front of `buffer`; returns the number of bytes, 0 once no data is left.
  virtual std::size_t read(std::span<char> buffer) = 0;
  // Whether the last read that returned 0 did so because of an error.
  virtual bool failed() const = 0;
  // How many bytes are left to read, where known.
  virtual std::optional<std::size_t> remaining() const { return std::nullopt; }
};

class FileSource final : public ByteSource {
 public:
  explicit FileSource(std::FILE* file);
  std::size_t read(std::span<char> buffer) override;
  bool failed() const override;
  // Known for a regular file.
  std::optional<std::size_t> remaining() const override { return remaining_; }

 private:
  std::FILE* file_;
  std::optional<std::size_t> remaining_;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : rest_(bytes) {}
  std::size_t read(std::span<char> buffer) override;
  bool failed() const override { return false; }
  std::optional<std::size_t> remaining() const override { return rest_.size(); }

 private:
  std::string_view rest_;
};

}  // namespace kalmira
