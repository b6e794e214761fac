#include "console/many_sources.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "console/converter.h"
#include "console/source_file.h"
#include "messages.h"
#include "output/target_name.h"
#include "sentences.h"

namespace kalmira {
namespace {

// A file name as Windows compares them: without regard to the case of its letters.
std::string folded(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  return lower;
}

// Names the targets of a run: as for one source, numbered where an earlier source of the run
// gives the same name, and refused where the target would be one of the sources.
class RunTargets {
 public:
  explicit RunTargets(std::span<const std::string> sources) {
    for (const std::string& source : sources) sources_.insert(folded(source));
  }

  TargetName operator()(const std::string& source) {
    const std::string wanted = derive_target_name(source);
    std::string name = wanted;
    for (int number = 2; owners_.contains(folded(name)); ++number) {
      name = numbered_target_name(wanted, number);
    }
    if (sources_.contains(folded(name))) {
      return {name, "", std::string(messages::kWouldReplaceSource)};
    }
    if (name != wanted) {
      renamed_.push_back(renamed_target_hint(name, wanted, owners_.at(folded(wanted))));
    }
    owners_.emplace(folded(name), source);
    return {name, ""};
  }

  // Why the last target was numbered, if it was; said once.
  std::vector<std::string> take_renamed() { return std::exchange(renamed_, {}); }

 private:
  std::unordered_set<std::string> sources_;
  std::unordered_map<std::string, std::string> owners_;  // each target's source
  std::vector<std::string> renamed_;
};

}  // namespace

bool are_dropped_sources(std::span<const std::string> names, const Console& console) {
  if (names.size() < 2 || !console.closes_with_program()) return false;
  return std::all_of(names.begin(), names.end(), [](const std::string& name) {
    const OpenedSource source = open_source_file(name);
    if (source.file != nullptr) std::fclose(source.file);
    return source.file != nullptr;
  });
}

int convert_many(std::span<const std::string> names, Console& console) {
  RunTargets targets(names);
  int converted = 0;
  int with_hints = 0;
  for (const std::string& name : names) {
    const Converted result = convert_file(console, name, std::ref(targets), true);
    const std::vector<std::string> renamed = targets.take_renamed();
    for (const std::string& hint : renamed) {
      console.write_error(std::string(messages::kHint) + hint + "\n");
    }
    if (result.failure != Failure::kNone) continue;
    ++converted;
    with_hints += result.with_hints || !renamed.empty() ? 1 : 0;
  }
  const int failed = static_cast<int>(names.size()) - converted;
  console.write(summary_of_sources(static_cast<int>(names.size()), converted, with_hints, failed) +
                "\n");
  console.write(messages::kConfirm);
  console.read_line();
  return failed == 0 ? 0 : 1;
}

}  // namespace kalmira
