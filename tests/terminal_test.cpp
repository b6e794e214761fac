// Runs the real converter on a pseudo-terminal for each case of cases/terminal.txt and compares
// what the screen receives, byte for byte. The argument after the test options is the converter.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "case_file.h"

namespace {

namespace fs = std::filesystem;
using kalmira::testing::read_case_file;
using kalmira::testing::read_cases;

std::string converter;

std::vector<std::string> words_of(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream stream(text);
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

struct Screen {
  std::string shown;
  int status = -1;
};

// Starts the converter in `folder` on a raw terminal with only the `settings` in its environment,
// types `typed` and collects the screen until the converter ends (at most 20 s).
Screen run_on_terminal(const fs::path& folder, const std::string& settings,
                       const std::vector<std::string>& words, const std::string& typed) {
  termios raw{};
  ::cfmakeraw(&raw);  // no echo and no line-end translation: the screen gets the bytes written
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, &raw, nullptr);
  if (child == 0) {
    ::clearenv();
    for (const std::string& setting : words_of(settings)) ::putenv(::strdup(setting.c_str()));
    std::vector<char*> argv{converter.data()};
    for (const std::string& word : words) argv.push_back(::strdup(word.c_str()));
    argv.push_back(nullptr);
    if (::chdir(folder.c_str()) == 0) ::execv(converter.c_str(), argv.data());
    ::_exit(127);
  }
  Screen screen;
  if (child < 0) return screen;
  if (::write(terminal, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) {
    ::kill(child, SIGKILL);
  }
  pollfd ready{terminal, POLLIN, 0};
  char buffer[4096];
  while (::poll(&ready, 1, 20000) > 0) {
    const ssize_t got = ::read(terminal, buffer, sizeof buffer);
    if (got <= 0) break;  // the converter ended and closed the terminal
    screen.shown.append(buffer, static_cast<std::size_t>(got));
  }
  ::kill(child, SIGKILL);  // does nothing to a converter that has ended
  int result = 0;
  ::waitpid(child, &result, 0);
  ::close(terminal);
  if (WIFEXITED(result)) screen.status = WEXITSTATUS(result);
  return screen;
}

TEST(Terminal, ShowsTheDialogueInTheTerminalsCharacterSet) {
  const fs::path root =
      fs::temp_directory_path() / ("kalmira-terminal-" + std::to_string(::getpid()));
  for (const auto& [line, f] : read_cases("terminal.txt")) {
    const fs::path folder = root / std::to_string(line);
    fs::create_directories(folder);
    for (const char* name : {"data.bcr", "K\xC3\xB6ln.bcr"}) {
      std::ofstream(folder / name, std::ios::binary) << read_case_file("overview.bcr");
    }
    const Screen screen = run_on_terminal(folder, f[0], words_of(f[1]), f[2]);
    EXPECT_EQ(screen.shown, f[3]) << "line " << line;
    EXPECT_EQ(screen.status, std::stoi(f[4])) << "line " << line;
  }
  fs::remove_all(root);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  converter = argc > 1 ? argv[1] : "/usr/bin/kalmira";
  return RUN_ALL_TESTS();
}
