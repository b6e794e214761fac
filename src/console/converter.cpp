#include "console/converter.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "console/many_sources.h"
#include "console/selection.h"
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

// The hints about a doubtful source, a line each on standard error, where they do not mingle
// with the dialogue that scripts may read.
void tell_hints(Console& console, const std::vector<SourceDoubt>& doubts) {
  for (const std::string& hint : hint_texts(doubts)) {
    console.write_error(std::string(messages::kHint) + hint + "\n");
  }
}

// A failure with the target, after `message` about it; a message that ends without a line feed
// gets one where the dialogue goes on.
Converted fail_with_target(Console& console, std::string_view message, const std::string& name,
                           std::string_view after, bool goes_on) {
  console.write(message, name, after);
  if (goes_on && !after.ends_with('\n')) console.write("\n");
  return {Failure::kTarget};
}

}  // namespace

Converted convert_file(Console& console, const std::string& source_name,
                       const TargetNamer& name_target, bool goes_on) {
  console.write(messages::kConvertingFrom, source_name, "\n");
  const OpenedSource source = open_source_file(source_name);
  if (source.file == nullptr) {
    console.write(messages::kOpenFailed, source_name, " \n");
    console.write_error("fopen: " + std::string(source.cause) + "\n");
    return {Failure::kSource};
  }
  FileSource source_bytes(source.file);
  const Conversion conversion = convert_source(source_bytes);
  std::fclose(source.file);
  if (!conversion.read_completely) {
    console.write(messages::kReadFailed, source_name, "\n");
    return {Failure::kSource};
  }

  // The source is closed before the target is opened, so a target of the same name replaces
  // it only after it has been read completely.
  const TargetName target = name_target(source_name);
  console.write(messages::kConvertingTo, target.name, "\n");
  if (!target.refusal.empty()) {
    console.write(target.refusal);
    return {Failure::kTarget};
  }
  std::FILE* target_file = std::fopen(target.name.c_str(), "wb");
  if (target_file == nullptr) {
    return fail_with_target(console, messages::kOpenFailed, target.name, target.after_failure,
                            goes_on);
  }
  FileSink sink(target_file);
  write_target_file(sink, conversion.table, conversion.points);
  if (!sink.close()) {
    return fail_with_target(console, messages::kWriteFailed, target.name, "\n", goes_on);
  }
  tell_hints(console, conversion.doubts);
  return {Failure::kNone, !conversion.doubts.empty()};
}

int run_converter(std::span<const std::string> given, Console& console) {
  const std::optional<std::vector<std::string>> selection = explorer_selection(given);
  if (selection && selection->empty()) return kFailure;  // Explorer gave nothing after all
  const std::span<const std::string> arguments = selection ? *selection : given;
  if (selection ? selection->size() > 1 : are_dropped_sources(arguments, console)) {
    return convert_many(arguments, console);
  }
  const std::string source_name = arguments.empty() ? ask_for_source_name(console) : arguments[0];
  const bool target_given = arguments.size() >= 2;
  const auto name_target = [&](const std::string& name) {
    return target_given ? TargetName{arguments[1], "\n"} : TargetName{derive_target_name(name), ""};
  };
  // A failure with the target is confirmed only where the console window would otherwise close
  // at once, so that the user sees why.
  const bool own_window = console.closes_with_program();
  switch (convert_file(console, source_name, name_target, own_window).failure) {
    case Failure::kSource:
      return fail_with_confirmation(console);
    case Failure::kTarget:
      return own_window ? fail_with_confirmation(console) : kFailure;
    case Failure::kNone:
      break;
  }
  console.write(messages::kConfirm);
  console.read_line();
  return kSuccess;
}

}  // namespace kalmira
