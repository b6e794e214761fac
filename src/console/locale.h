#pragma once

namespace kalmira {

// Whether the locale that the user's settings select uses UTF-8: the first of LC_ALL, LC_CTYPE
// and LANG that is set and not empty names it (null for one that is not set). Only the name is
// read; no locale is loaded, so one that is not installed still counts.
bool locale_uses_utf8(const char* lc_all, const char* lc_ctype, const char* lang);

}  // namespace kalmira
