#pragma once

#include <string>
#include <string_view>

namespace kalmira {

// The target file's name when none is given: the source name's last path component cut before
// its first "." that is not its first character, followed by ".asc", in the source's folder.
std::string derive_target_name(std::string_view source_name);

// The name given to a target whose name `number` - 1 others already have: "messung.asc" as
// "messung (2).asc".
std::string numbered_target_name(std::string_view name, int number);

}  // namespace kalmira
