#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "output/source_doubts.h"

// What KALMIRA says about a source where it speaks UTF-8 (the GDAL plugin, the library and the
// page built on it), and where the console says more than of one source: the same German words
// as the console's, a name in them quoted as given.
namespace kalmira {

// Why a file gives no target: it has neither section.
std::string no_source_sentence(std::string_view name);
// Why a file gives no target: it could not be read to its end.
std::string read_failure_sentence(std::string_view name);
// Why a target is named otherwise than its source says: an earlier source of the same group
// already gives that name.
std::string renamed_target_sentence(std::string_view target, std::string_view wanted,
                                    std::string_view owner);
// The same, in Windows-1252 for the console, the names as given.
std::string renamed_target_hint(std::string_view target, std::string_view wanted,
                                std::string_view owner);
// What became of several sources converted at once: how many, how many were converted and how
// many of those have hints, how many failed.
std::string summary_of_sources(int sources, int converted, int with_hints, int failed);
// The hints about a source, a sentence or two each.
std::vector<std::string> hint_sentences(const std::vector<SourceDoubt>& doubts);

}  // namespace kalmira
