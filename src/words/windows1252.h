#pragma once

#include <string>
#include <string_view>

// Windows-1252, the character set of the dialogue and the hints, and of the sources they quote.
namespace kalmira {

// The text in UTF-8, for a screen that shows UTF-8.
std::string windows1252_to_utf8(std::string_view text);

// A UTF-8 text in Windows-1252, a character that code page lacks, and a byte that is no part
// of a UTF-8 character, as "?".
std::string utf8_to_windows1252(std::string_view text);

}  // namespace kalmira
