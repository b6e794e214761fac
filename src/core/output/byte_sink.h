#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kalmira {

// Where the target's bytes go, unchanged.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(std::string_view bytes) = 0;
};

// Writes to a file and remembers whether any write failed, so that a full disk cannot pass
// for a complete target file.
class FileSink final : public ByteSink {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  void write(std::string_view bytes) override;
  // Closes the file; returns whether every write and the close itself succeeded.
  bool close();

 private:
  std::FILE* file_;
  bool failed_ = false;
};

class StringSink final : public ByteSink {
 public:
  void write(std::string_view bytes) override { bytes_ += bytes; }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace kalmira
