#include "output/target_name.h"

#include "input/field_extractor.h"

namespace kalmira {

std::string derive_target_name(std::string_view source_name) {
  // Dots in folder names must not cut the name, or the target would land in another folder.
  const std::size_t separator = source_name.find_last_of("/\\");
  const std::size_t file_start = separator == std::string_view::npos ? 0 : separator + 1;
  const std::string stem = extract_field(source_name.substr(file_start), 0, 0, '.', 0).text;
  return std::string(source_name.substr(0, file_start)) + stem + ".asc";
}

std::string numbered_target_name(std::string_view name, int number) {
  const std::string_view stem = name.ends_with(".asc") ? name.substr(0, name.size() - 4) : name;
  return std::string(stem) + " (" + std::to_string(number) + ")" +
         std::string(name.substr(stem.size()));
}

}  // namespace kalmira
