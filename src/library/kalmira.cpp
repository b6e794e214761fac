// The C interface over the core's one conversion: a conversion's handle holds the core's result
// and the texts it hands out, made once, so that every pointer it gives lives as long as it.
#include "kalmira.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "conversion.h"
#include "output/byte_sink.h"
#include "output/target_name.h"
#include "output/target_writer.h"
#include "sentences.h"

struct kalmira_conversion {
  explicit kalmira_conversion(kalmira::Conversion converted) : core(std::move(converted)) {}

  int outcome() const {
    return !core.read_completely ? KALMIRA_READ_FAILED
           : !core.is_source()   ? KALMIRA_NO_SOURCE
                                 : KALMIRA_CONVERTED;
  }

  kalmira::Conversion core;
  std::string message;
  std::string target_name;
  std::vector<std::string> hints;
  std::optional<std::string> target;
};

namespace {

using kalmira::Doubt;

// The codes in the order of the core's kinds, which is the order a user reads them in.
static_assert(static_cast<int>(Doubt::kNotText) + 1 == KALMIRA_HINT_NOT_TEXT);
static_assert(static_cast<int>(Doubt::kDescriptionsInUtf8) + 1 ==
              KALMIRA_HINT_DESCRIPTIONS_IN_UTF8);

class CallbackSource final : public kalmira::ByteSource {
 public:
  CallbackSource(kalmira_read_function reader, void* context, long long size)
      : read_(reader), context_(context) {
    if (size >= 0) remaining_ = static_cast<std::size_t>(size);
  }
  std::size_t read(std::span<char> buffer) override {
    const long long got = read_(context_, buffer.data(), buffer.size());
    failed_ = got < 0 || static_cast<unsigned long long>(got) > buffer.size();
    const std::size_t taken = failed_ ? 0 : static_cast<std::size_t>(got);
    if (remaining_) *remaining_ -= std::min(*remaining_, taken);
    return taken;
  }
  bool failed() const override { return failed_; }
  std::optional<std::size_t> remaining() const override { return remaining_; }

 private:
  kalmira_read_function read_;
  void* context_;
  std::optional<std::size_t> remaining_;
  bool failed_ = false;
};

class CallbackSink final : public kalmira::ByteSink {
 public:
  CallbackSink(kalmira_write_function writer, void* context) : write_(writer), context_(context) {}
  void write(std::string_view bytes) override {
    if (!failed_ && !bytes.empty()) failed_ = write_(context_, bytes.data(), bytes.size()) != 0;
  }
  bool failed() const { return failed_; }

 private:
  kalmira_write_function write_;
  void* context_;
  bool failed_ = false;
};

kalmira_conversion* convert(const char* name, kalmira::ByteSource& source) {
  try {
    const std::string source_name = name == nullptr ? "" : name;
    auto* conversion = new kalmira_conversion(kalmira::convert_source(source));
    const kalmira::Conversion& core = conversion->core;
    if (conversion->outcome() == KALMIRA_READ_FAILED) {
      conversion->message = kalmira::read_failure_sentence(source_name);
    } else if (conversion->outcome() == KALMIRA_NO_SOURCE) {
      conversion->message = kalmira::no_source_sentence(source_name);
    }
    conversion->target_name = kalmira::derive_target_name(source_name);
    conversion->hints = kalmira::hint_sentences(core.doubts);
    return conversion;
  } catch (...) {
    return nullptr;  // the memory ran out
  }
}

// A conversion's points, none for a source that gives no target.
std::size_t points_of(const kalmira_conversion* conversion) {
  return conversion == nullptr || conversion->outcome() != KALMIRA_CONVERTED
             ? 0
             : conversion->core.points.size();
}

}  // namespace

const char* kalmira_version(void) { return KALMIRA_VERSION; }

kalmira_conversion* kalmira_convert(const char* name, const void* bytes, size_t size) {
  kalmira::MemorySource source(
      std::string_view(bytes == nullptr ? "" : static_cast<const char*>(bytes), size));
  return convert(name, source);
}

kalmira_conversion* kalmira_convert_read(const char* name, kalmira_read_function read,
                                         void* context, long long size) {
  CallbackSource source(read, context, size);
  return convert(name, source);
}

void kalmira_free(kalmira_conversion* conversion) { delete conversion; }

int kalmira_outcome(const kalmira_conversion* conversion) {
  return conversion == nullptr ? KALMIRA_NO_MEMORY : conversion->outcome();
}

const char* kalmira_message(const kalmira_conversion* conversion) {
  return conversion == nullptr ? "" : conversion->message.c_str();
}

const char* kalmira_target_name(const kalmira_conversion* conversion) {
  return conversion == nullptr ? "" : conversion->target_name.c_str();
}

int kalmira_write_target(const kalmira_conversion* conversion, kalmira_write_function write,
                         void* context) {
  if (points_of(conversion) == 0) return 0;
  try {
    CallbackSink sink(write, context);
    kalmira::write_target_file(sink, conversion->core.table, conversion->core.points);
    return sink.failed() ? -1 : 0;
  } catch (...) {
    return -1;
  }
}

const char* kalmira_target(const kalmira_conversion* conversion, size_t* size) {
  *size = 0;
  if (points_of(conversion) == 0) return "";
  try {
    auto& target = const_cast<kalmira_conversion*>(conversion)->target;
    if (!target) {
      kalmira::StringSink sink;
      kalmira::write_target_file(sink, conversion->core.table, conversion->core.points);
      target = sink.bytes();
    }
    *size = target->size();
    return target->data();
  } catch (...) {
    return "";  // the memory ran out
  }
}

size_t kalmira_point_count(const kalmira_conversion* conversion) { return points_of(conversion); }

int kalmira_get_point(const kalmira_conversion* conversion, size_t index, kalmira_point* point) {
  if (index >= points_of(conversion)) return -1;
  const kalmira::ConvertedPoint& converted = conversion->core.points[index];
  const kalmira::PointRecord& record = conversion->core.table.records[index];
  *point = {converted.longitude,
            converted.latitude,
            converted.target.longitude.c_str(),
            converted.target.latitude.c_str(),
            {},
            {},
            static_cast<int>(index + 1),
            converted.on_map ? 1 : 0};
  for (std::size_t piece = 0; piece < record.pieces.size(); ++piece) {
    point->pieces[piece] = record.pieces[piece].data();
    point->piece_sizes[piece] = record.pieces[piece].size();
  }
  return 0;
}

int kalmira_descriptions_in_utf8(const kalmira_conversion* conversion) {
  return conversion != nullptr && conversion->core.descriptions_in_utf8() ? 1 : 0;
}

size_t kalmira_hint_count(const kalmira_conversion* conversion) {
  return conversion == nullptr ? 0 : conversion->hints.size();
}

int kalmira_hint_code(const kalmira_conversion* conversion, size_t index) {
  if (index >= kalmira_hint_count(conversion)) return 0;
  return static_cast<int>(conversion->core.doubts[index].kind) + 1;
}

const char* kalmira_hint_text(const kalmira_conversion* conversion, size_t index) {
  return index < kalmira_hint_count(conversion) ? conversion->hints[index].c_str() : nullptr;
}
