// The web edition's converter: the core compiled to WebAssembly, driven by the page's worker,
// one instance for many sources. The worker hands it the source in blocks and takes the target
// in pieces through the two functions it imports; a name comes in through an input buffer, and
// an answer is an address and a length, read where the bytes lie in the module's memory.
// The build makes the module able to wait for `read_source` (asyncify): where the next block is
// not at hand, the call stack is saved in the wait room and rebuilt when the block has come.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "hint_text.h"
#include "input/section_parser.h"
#include "output/coordinate_conversion.h"
#include "output/source_doubts.h"
#include "output/target_name.h"
#include "output/target_writer.h"

#define KALMIRA_IMPORT(name) __attribute__((import_module("kalmira"), import_name(#name)))
#define KALMIRA_EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Fills `buffer` with the source's next bytes; returns how many, 0 at its end, -1 on an error.
KALMIRA_IMPORT(read_source) int read_source(char* buffer, int capacity);
// Takes the next piece of the target.
KALMIRA_IMPORT(write_target) void write_target(const char* bytes, int length);

namespace {

// The source the worker hands in, of which it knows the size.
class PageSource final : public kalmira::ByteSource {
 public:
  explicit PageSource(std::size_t size) : remaining_(size) {}
  std::size_t read(std::span<char> buffer) override {
    const int got = read_source(buffer.data(), static_cast<int>(buffer.size()));
    failed_ = got < 0;
    const std::size_t taken = got < 0 ? 0 : static_cast<std::size_t>(got);
    remaining_ -= std::min(remaining_, taken);
    return taken;
  }
  bool failed() const override { return failed_; }
  std::optional<std::size_t> remaining() const override { return remaining_; }

 private:
  std::size_t remaining_;
  bool failed_ = false;
};

class PageSink final : public kalmira::ByteSink {
 public:
  void write(std::string_view bytes) override {
    write_target(bytes.data(), static_cast<int>(bytes.size()));
  }
};

kalmira::PointTable table;
kalmira::SourceReport report;
std::vector<kalmira::SourceDoubt> doubts;
std::string input;  // a text the page hands in
std::string made;   // a text made for the page

// An answer to the page: where its bytes lie in the module's memory, and how many there are.
struct Answer {
  const char* data;
  std::int32_t length;
};
Answer answer;

const Answer* give(std::string_view bytes) {
  answer = {bytes.data(), static_cast<std::int32_t>(bytes.size())};
  return &answer;
}

}  // namespace

// Where a waiting conversion's call stack is kept: the first two words are where the saved stack
// goes on and where the room ends, as the waiting code expects them.
KALMIRA_EXPORT(wait_room) std::int32_t* wait_room() {
  static std::int32_t room[4096];
  room[0] = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(room + 2));
  room[1] = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(std::end(room)));
  return room;
}

// Where the page puts a text of `length` bytes for the next call.
KALMIRA_EXPORT(input_buffer) char* input_buffer(int length) {
  input.assign(static_cast<std::size_t>(length), '\0');
  return input.data();
}

// The target's name for the source name in the input buffer, as the console program derives it.
KALMIRA_EXPORT(target_name) const Answer* target_name() {
  made = kalmira::derive_target_name(input);
  return give(made);
}

// Converts the whole source, of `size` bytes, into the target; returns the number of points, or
// -1 when the source could not be read to its end (then nothing of the target has been written).
KALMIRA_EXPORT(convert) int convert(double size) {
  table = {};
  report = {};
  PageSource source(static_cast<std::size_t>(size));
  if (!kalmira::read_source_completely(source, table, report)) return -1;
  doubts = kalmira::source_doubts(table, report);
  PageSink target;
  kalmira::write_target_file(target, table);
  return table.count;
}

// One text of point `index` of the last conversion: 0 longitude and 1 latitude as the target
// gives them, 2 to 4 the description pieces 1 to 3 as read (in place: a piece may be large).
KALMIRA_EXPORT(point_text) const Answer* point_text(int index, int which) {
  const kalmira::PointRecord& record = table.records.at(static_cast<std::size_t>(index));
  if (which < 2) {
    const kalmira::Position position = kalmira::position_of(record);
    made = which == 0 ? position.longitude : position.latitude;
    return give(made);
  }
  return give(kalmira::piece_text(which == 2   ? record.desc1
                                  : which == 3 ? record.desc2
                                               : record.desc3));
}

// Point `index` of the last conversion as the conversion gives it, before the target rounds it
// to single precision: two doubles, the longitude and the latitude, where the answer lies.
KALMIRA_EXPORT(point_place) const double* point_place(int index) {
  static double place[2];
  const kalmira::PointRecord& record = table.records.at(static_cast<std::size_t>(index));
  place[0] = kalmira::easting_to_longitude(record.easting);
  place[1] = kalmira::northing_to_latitude(record.northing);
  return place;
}

// Whether point `index` of the last conversion can stand on a map: 1 or 0.
KALMIRA_EXPORT(point_on_map) int point_on_map(int index) {
  return kalmira::is_on_map(table.records.at(static_cast<std::size_t>(index))) ? 1 : 0;
}

// The hints about the last conversion's source, in Windows-1252, one a line.
KALMIRA_EXPORT(hints) const Answer* hints() {
  made.clear();
  for (const std::string& hint : kalmira::hint_texts(doubts)) made += hint + "\n";
  return give(made);
}

// Whether the last conversion's source is a source at all, with one of the two sections: 1 or 0.
KALMIRA_EXPORT(is_source) int is_source() { return report.is_source() ? 1 : 0; }

// Whether the last conversion's descriptions are UTF-8 rather than Windows-1252: 1 or 0.
KALMIRA_EXPORT(in_utf8) int in_utf8() { return kalmira::descriptions_in_utf8(doubts) ? 1 : 0; }
