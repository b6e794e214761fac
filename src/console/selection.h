#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kalmira {

// The sources Explorer hands over when its command "Mit KALMIRA konvertieren" (or a
// double-click) starts the program on a selection of any size: Explorer starts it with
// "-Embedding" and drops the whole selection on it, and the program takes it. None where the
// program was started otherwise.
std::optional<std::vector<std::string>> explorer_selection(std::span<const std::string> arguments);

}  // namespace kalmira
