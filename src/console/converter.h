#pragma once

#include <functional>
#include <span>
#include <string>

#include "console/console.h"

namespace kalmira {

// One whole run: `arguments` are the command-line words after the program name (source name,
// then target name, both optional; or, dropped on a window of the program's own, several
// sources). Returns the exit status: 0, or 1 after a failure.
int run_converter(std::span<const std::string> arguments, Console& console);

// The target for a source: its name, what follows the name in a message that it cannot be
// opened, and why it is not written at all, if it is not (the dialogue's text).
struct TargetName {
  std::string name;
  std::string_view after_failure;
  std::string refusal = {};
};
using TargetNamer = std::function<TargetName(const std::string& source_name)>;

// What failed in converting one source, if anything, and whether it gave hints.
enum class Failure { kNone, kSource, kTarget };
struct Converted {
  Failure failure;
  bool with_hints = false;
};

// Converts one source into the target `name_target` names, saying so, with its hints, and what
// failed; where the dialogue `goes_on`, a failure's message ends its line.
Converted convert_file(Console& console, const std::string& source_name,
                       const TargetNamer& name_target, bool goes_on);

}  // namespace kalmira
