#pragma once

#include <span>
#include <string>

#include "console/console.h"

namespace kalmira {

// Whether the program was handed several sources at once, as Explorer hands them over when
// files are dropped on it (or on a shortcut to it) or sent to it: two or more names, all of
// them files that can be read, in a console window of the program's own. Typed at a prompt, a
// second name stays the target's.
bool are_dropped_sources(std::span<const std::string> names, const Console& console);

// Converts each source into its own target, named as for one source alone. A target never
// replaces one of the sources; one that an earlier source of the run already gives is numbered
// instead. Ends with a summary and one confirmation; returns 0 when every source was converted,
// else 1.
int convert_many(std::span<const std::string> names, Console& console);

}  // namespace kalmira
