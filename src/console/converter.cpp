#include "console/converter.h"

#include <cstdio>
#include <string>

#include "console/source_file.h"
#include "conversion.h"
#include "hint_text.h"
#include "messages.h"
#include "output/byte_sink.h"
#include "output/target_name.h"
#include "output/target_writer.h"

namespace kalmira {
namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;

std::string ask_for_source_name(Console& console) {
  console.write(messages::kUsage);
  console.write(messages::kUsageWithTarget);
  console.write(messages::kAskForName);
  return console.read_line();
}

// A failure with the source: the user confirms before the console window closes.
int fail_with_confirmation(Console& console) {
  console.write(messages::kConfirmAfterFailure);
  console.read_line();
  return kFailure;
}

// A failure with the target, after `message` about it: confirmed only where the console window
// would otherwise close at once, so that the user sees why.
int fail_with_target(Console& console, std::string_view message, const std::string& target_name,
                     std::string_view after) {
  console.write(message, target_name, after);
  if (!console.closes_with_program()) return kFailure;
  if (!after.ends_with('\n')) console.write("\n");
  return fail_with_confirmation(console);
}

// The hints about a doubtful source, a line each on standard error, where they do not mingle
// with the dialogue that scripts may read.
void tell_hints(Console& console, const Conversion& conversion) {
  for (const std::string& hint : hint_texts(conversion.doubts)) {
    console.write_error(std::string(messages::kHint) + hint + "\n");
  }
}

}  // namespace

int run_converter(std::span<const std::string> arguments, Console& console) {
  const std::string source_name = arguments.empty() ? ask_for_source_name(console) : arguments[0];
  console.write(messages::kConvertingFrom, source_name, "\n");

  const OpenedSource source = open_source_file(source_name);
  if (source.file == nullptr) {
    console.write(messages::kOpenFailed, source_name, " \n");
    console.write_error("fopen: " + std::string(source.cause) + "\n");
    return fail_with_confirmation(console);
  }
  FileSource source_bytes(source.file);
  const Conversion conversion = convert_source(source_bytes);
  std::fclose(source.file);
  if (!conversion.read_completely) {
    console.write(messages::kReadFailed, source_name, "\n");
    return fail_with_confirmation(console);
  }

  // The source is closed before the target is opened, so a target of the same name replaces
  // it only after it has been read completely.
  const bool target_given = arguments.size() >= 2;
  const std::string target_name = target_given ? arguments[1] : derive_target_name(source_name);
  console.write(messages::kConvertingTo, target_name, "\n");
  std::FILE* target_file = std::fopen(target_name.c_str(), "wb");
  if (target_file == nullptr) {
    return fail_with_target(console, messages::kOpenFailed, target_name, target_given ? "\n" : "");
  }
  FileSink target(target_file);
  write_target_file(target, conversion.table);
  if (!target.close()) return fail_with_target(console, messages::kWriteFailed, target_name, "\n");

  tell_hints(console, conversion);
  console.write(messages::kConfirm);
  console.read_line();
  return kSuccess;
}

}  // namespace kalmira
