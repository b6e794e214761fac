#include <io.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "console/screen.h"

namespace kalmira {
namespace {

constexpr UINT kWindows1252 = 1252;
// Conversions go piece by piece: the console takes a bounded number of characters a call.
constexpr std::size_t kPiece = 16384;

// The console behind a C stream, or null when the stream is a file or a pipe.
HANDLE console_handle(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// A console shows characters in its own code page (850 on a German Windows), so its
// wide-character interface is used instead of its code page, which is left as it is.
class WindowsConsole final : public Screen {
 public:
  explicit WindowsConsole(HANDLE handle) : handle_(handle) {}

  void show_text(std::string_view text) override { show(text, kWindows1252); }
  // Names come from the command line or are handed to fopen: the ANSI code page.
  void show_name(std::string_view name) override { show(name, CP_ACP); }
  // A command prompt shares its console with the programs it starts.
  bool closes_with_program() const override {
    DWORD processes[2];
    return ::GetConsoleProcessList(processes, 2) == 1;
  }

 private:
  void show(std::string_view bytes, UINT code_page) {
    std::array<wchar_t, kPiece> wide;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
      const std::string_view piece = bytes.substr(at, kPiece);
      const int length =
          ::MultiByteToWideChar(code_page, 0, piece.data(), static_cast<int>(piece.size()),
                                wide.data(), static_cast<int>(wide.size()));
      DWORD written = 0;
      ::WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(length), &written, nullptr);
    }
  }

  HANDLE handle_;
};

// A console delivers typed text in its own code page; read as characters and handed on in the
// ANSI code page, a typed name names the same file as on the command line. A character that
// code page lacks becomes "?", which no file name contains, rather than a look-alike.
class ConsoleKeyboard final : public Keyboard {
 public:
  explicit ConsoleKeyboard(HANDLE handle) : handle_(handle) {}

  std::string read_typed() override {
    // Only the end of the input ends it: a read that gives no whole character reads on.
    for (;;) {
      std::array<wchar_t, kPiece> wide;
      std::size_t length = held_ ? 1 : 0;
      if (held_) wide[0] = held_;
      held_ = 0;
      DWORD read = 0;
      if (!::ReadConsoleW(handle_, wide.data() + length, static_cast<DWORD>(wide.size() - length),
                          &read, nullptr) ||
          read == 0) {
        return {};
      }
      length += read;
      if (length > 1 && IS_HIGH_SURROGATE(wide[length - 1])) held_ = wide[--length];
      std::string bytes = to_ansi(std::wstring_view(wide.data(), length));
      if (!bytes.empty()) return bytes;
    }
  }

 private:
  // The ANSI code page's bytes for `wide`, however many a character takes (up to four where
  // that code page is UTF-8, which takes no best-fit flag and needs none).
  static std::string to_ansi(std::wstring_view wide) {
    const DWORD flags = ::GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int wide_length = static_cast<int>(wide.size());
    const int size = ::WideCharToMultiByte(CP_ACP, flags, wide.data(), wide_length, nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_ACP, flags, wide.data(), wide_length, bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
  }

  HANDLE handle_;
  wchar_t held_ = 0;  // the first half of a character whose second half comes with the next read
};

}  // namespace

std::unique_ptr<Screen> screen_of(std::FILE* stream) {
  const HANDLE handle = console_handle(stream);
  return handle == nullptr ? nullptr : std::make_unique<WindowsConsole>(handle);
}

std::unique_ptr<Keyboard> keyboard_of(std::FILE* stream) {
  const HANDLE handle = console_handle(stream);
  return handle == nullptr ? nullptr : std::make_unique<ConsoleKeyboard>(handle);
}

}  // namespace kalmira
