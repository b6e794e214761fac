#include "console/selection.h"

namespace kalmira {

std::optional<std::vector<std::string>> explorer_selection(std::span<const std::string>) {
  return std::nullopt;  // no Explorer here
}

}  // namespace kalmira
