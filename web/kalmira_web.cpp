// The web edition's converter: the C interface (kalmira.h) compiled to WebAssembly, for the page's
// worker, with what only a page needs besides it: the source comes in blocks through the function
// `read_source` the worker gives, and the target goes out in pieces through `write_target`;
// `page_reader` and `page_writer` give them as the C interface takes them. The worker puts its
// inputs where the module's `malloc` says and reads answers where the C interface points.
// The build makes the module able to wait for `read_source` (asyncify): where the next block is
// not at hand, the call stack is saved in the wait room and rebuilt when the block has come.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "kalmira.h"
#include "output/target_name.h"
#include "sentences.h"

#define KALMIRA_IMPORT(name) __attribute__((import_module("kalmira"), import_name(#name)))
#define KALMIRA_EXPORT(name) extern "C" __attribute__((export_name(#name)))

// Fills `buffer` with the source's next bytes; returns how many, 0 at its end, -1 on an error.
KALMIRA_IMPORT(read_source) int read_source(char* buffer, int capacity);
// Takes the next piece of the target.
KALMIRA_IMPORT(write_target) void write_target(const char* bytes, int length);

// The worker reads a point where kalmira_get_point puts it, field by field at these places.
static_assert(offsetof(kalmira_point, latitude) == 8 &&
              offsetof(kalmira_point, target_longitude) == 16 &&
              offsetof(kalmira_point, target_latitude) == 20 &&
              offsetof(kalmira_point, pieces) == 24 && offsetof(kalmira_point, piece_sizes) == 36 &&
              offsetof(kalmira_point, number) == 48 && offsetof(kalmira_point, on_map) == 52 &&
              sizeof(kalmira_point) == 56);

namespace {

long long page_read(void*, char* buffer, std::size_t capacity) {
  return read_source(buffer, static_cast<int>(capacity));
}

int page_write(void*, const char* bytes, std::size_t size) {
  write_target(bytes, static_cast<int>(size));
  return 0;
}

// A text for the page, NUL-terminated, where the worker frees it; null when the memory ran out.
char* handed_out(const std::string& text) {
  auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy != nullptr) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

}  // namespace

KALMIRA_EXPORT(page_reader) kalmira_read_function page_reader() { return page_read; }
KALMIRA_EXPORT(page_writer) kalmira_write_function page_writer() { return page_write; }

// Why a target of several sources' is named otherwise than its source says (UTF-8 names in,
// a UTF-8 sentence out).
KALMIRA_EXPORT(renamed_target)
char* renamed_target(const char* target, const char* wanted, const char* owner) {
  return handed_out(kalmira::renamed_target_sentence(target, wanted, owner));
}

// The name of a target that `number` - 1 others of the same choice already have.
KALMIRA_EXPORT(numbered_target) char* numbered_target(const char* name, int number) {
  return handed_out(kalmira::numbered_target_name(name, number));
}

// Why a source gives no target where the conversion itself could not finish: the memory ran out.
KALMIRA_EXPORT(read_failure) char* read_failure(const char* name) {
  return handed_out(kalmira::read_failure_sentence(name));
}

// Where a waiting conversion's call stack is kept: the first two words are where the saved stack
// goes on and where the room ends, as the waiting code expects them.
KALMIRA_EXPORT(wait_room) std::int32_t* wait_room() {
  static std::int32_t room[4096];
  room[0] = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(room + 2));
  room[1] = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(std::end(room)));
  return room;
}
