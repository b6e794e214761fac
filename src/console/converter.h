#pragma once

#include <span>
#include <string>

#include "console/console.h"

namespace kalmira {

// One whole run: `arguments` are the command-line words after the program name (source name,
// then target name, both optional). Returns the exit status: 0, or 1 after a failure.
int run_converter(std::span<const std::string> arguments, Console& console);

}  // namespace kalmira
