// Runs the real converter in a fresh folder for each case of cases/end_to_end.txt and compares
// what it prints, returns and writes, byte for byte: with files and pipes as its standard
// streams, or on a terminal. The argument after the test options is the command that starts the
// converter; KALMIRA_TEST_PLATFORM (posix or windows) selects the cases.
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
#include <string>

#include "case_file.h"

namespace {

namespace fs = std::filesystem;
using kalmira::testing::EndToEndCase;

std::string converter_command;

std::string read_file(const fs::path& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

void write_file(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string shell_quoted(const std::string& word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs `command` with the shell on a raw terminal, types `typed` and collects the screen until
// the command ends (at most 20 s). Returns what the screen received and the exit status (-1 if
// the command did not end).
std::pair<std::string, int> run_on_terminal(const std::string& command, const std::string& typed) {
  termios raw{};
  ::cfmakeraw(&raw);  // no echo and no line-end translation: the screen gets the bytes written
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, &raw, nullptr);
  if (child == 0) {
    ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
    ::_exit(127);
  }
  if (child < 0) return {"", -1};
  if (::write(terminal, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) {
    ::kill(child, SIGKILL);
  }
  std::string shown;
  pollfd ready{terminal, POLLIN, 0};
  char buffer[4096];
  while (::poll(&ready, 1, 20000) > 0) {
    const ssize_t got = ::read(terminal, buffer, sizeof buffer);
    if (got <= 0) break;  // the command ended and closed the terminal
    shown.append(buffer, static_cast<std::size_t>(got));
  }
  ::kill(child, SIGKILL);  // does nothing to a command that has ended
  int result = 0;
  ::waitpid(child, &result, 0);
  ::close(terminal);
  return {shown, WIFEXITED(result) ? WEXITSTATUS(result) : -1};
}

// Sets up the folder for one run, runs the converter there and checks the outcome.
void check_run(const EndToEndCase& run, const fs::path& folder) {
  fs::create_directories(folder);
  for (const std::string& name : run.folders) fs::create_directories(folder / name);
  for (const auto& [name, bytes] : run.files) write_file(folder / name, bytes);
  write_file(folder / ".stdin", run.input);
  std::string arguments;
  for (const std::string& word : run.arguments) arguments += " " + shell_quoted(word);
  const std::string in_folder = "cd " + shell_quoted(folder.string()) + " && ";
  if (run.terminal) {  // with only the case's locale settings in the environment
    const auto [shown, status] = run_on_terminal(
        in_folder + "exec env -i " + *run.terminal + " " + converter_command + arguments,
        run.input);
    EXPECT_EQ(shown, run.output) << run.name;
    EXPECT_EQ(status, run.status) << run.name;
    return;
  }
  // A converter that waits for input it never gets must not stall the suite. Files and pipes
  // get the dialogue's bytes even where the locale would have a terminal show UTF-8.
  const int result = std::system((in_folder + "LC_ALL=C.UTF-8 timeout 60 " + converter_command +
                                  arguments + " <.stdin >.stdout 2>.stderr")
                                     .c_str());
  ASSERT_TRUE(WIFEXITED(result)) << run.name;
  EXPECT_EQ(WEXITSTATUS(result), run.status) << run.name;
  EXPECT_EQ(read_file(folder / ".stdout"), run.output) << run.name;
  EXPECT_EQ(read_file(folder / ".stderr"), run.error) << run.name;
  for (const auto& [name, bytes] : run.results) {
    EXPECT_TRUE(fs::exists(folder / name)) << run.name << ": " << name;
    EXPECT_EQ(read_file(folder / name), bytes) << run.name << ": " << name;
  }
  for (const std::string& name : run.absent) {
    EXPECT_FALSE(fs::exists(folder / name)) << run.name << ": " << name;
  }
}

TEST(EndToEnd, DialogueFilesAndExitStatus) {
  const char* platform = std::getenv("KALMIRA_TEST_PLATFORM");
  const std::string this_platform = platform ? platform : "posix";
  const fs::path root = fs::temp_directory_path() / ("kalmira-" + std::to_string(::getpid()));
  int checked = 0;
  for (const EndToEndCase& run : kalmira::testing::read_end_to_end_cases()) {
    if (!run.platform.empty() && run.platform != this_platform) continue;
    check_run(run, root / std::to_string(checked++));
  }
  fs::remove_all(root);
  EXPECT_GT(checked, 10);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  converter_command = argc > 1 ? argv[1] : "kalmira";  // without one: the installed converter
  return RUN_ALL_TESTS();
}
