#include <unistd.h>

#include <cstdlib>

#include "console/locale.h"
#include "console/screen.h"
#include "windows1252.h"

namespace kalmira {
namespace {

// A terminal whose locale is UTF-8. Names typed or given on the command line are already in the
// terminal's character set; only the dialogue's own text needs converting.
class Utf8Terminal final : public Screen {
 public:
  explicit Utf8Terminal(std::FILE* stream) : stream_(stream) {}

  void show_text(std::string_view text) override { put(windows1252_to_utf8(text)); }
  void show_name(std::string_view name) override { put(name); }

 private:
  void put(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stream_); }

  std::FILE* stream_;
};

}  // namespace

std::unique_ptr<Screen> screen_of(std::FILE* stream) {
  // Terminals in a Latin-1 or Latin-9 locale show these bytes as the letters they are in
  // Windows-1252; the C locale and unknown character sets get the bytes unchanged as well.
  if (!::isatty(::fileno(stream)) ||
      !locale_uses_utf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"))) {
    return nullptr;
  }
  return std::make_unique<Utf8Terminal>(stream);
}

std::unique_ptr<Keyboard> keyboard_of(std::FILE*) {
  return nullptr;  // a terminal sends names in the character set that file names use
}

}  // namespace kalmira
