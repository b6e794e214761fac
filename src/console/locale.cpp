#include "console/locale.h"

#include <string>
#include <string_view>

namespace kalmira {

bool locale_uses_utf8(const char* lc_all, const char* lc_ctype, const char* lang) {
  std::string_view name;
  for (const char* setting : {lc_all, lc_ctype, lang}) {
    if (setting != nullptr && *setting != '\0') {
      name = setting;
      break;
    }
  }
  // "language_TERRITORY.codeset@modifier": the codeset, compared as the C library does, without
  // case, hyphens or underscores ("UTF-8", "utf8").
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view codeset = name.substr(dot + 1, name.find('@', dot) - dot - 1);
  std::string normalised;
  for (const char c : codeset) {
    if (c != '-' && c != '_') normalised += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  }
  return normalised == "utf8";
}

}  // namespace kalmira
