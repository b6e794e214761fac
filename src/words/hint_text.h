#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output/source_doubts.h"

namespace kalmira {

// The doubts about a source as hints for the user, one sentence or two each, in German and in
// Windows-1252 like the dialogue: each names the points it concerns, says what it means for the
// target and, where there is one, what to do.
std::vector<std::string> hint_texts(const std::vector<SourceDoubt>& doubts);

// A number as German text sets it: groups of three digits parted by "." from 10 000 on.
std::string german_number(std::int64_t number);

}  // namespace kalmira
