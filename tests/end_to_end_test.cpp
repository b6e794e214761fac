// Runs the real converter in a fresh folder for each case of cases/end_to_end.txt and compares
// what it prints, returns and writes, byte for byte. The argument after the test options is the
// command that starts the converter; KALMIRA_TEST_PLATFORM (posix or windows) selects the cases.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Sets up the folder for one run, runs the converter there and checks the outcome.
void check_run(const EndToEndCase& run, const fs::path& folder) {
  fs::create_directories(folder);
  for (const std::string& name : run.folders) fs::create_directories(folder / name);
  for (const auto& [name, bytes] : run.files) write_file(folder / name, bytes);
  write_file(folder / ".stdin", run.input);
  std::string arguments;
  for (const std::string& word : run.arguments) arguments += " " + shell_quoted(word);
  // A converter that waits for input it never gets must not stall the suite. Files and pipes
  // get the dialogue's bytes even where the locale would have a terminal show UTF-8.
  const std::string command = "cd " + shell_quoted(folder.string()) +
                              " && LC_ALL=C.UTF-8 timeout 60 " + converter_command + arguments +
                              " <.stdin >.stdout 2>.stderr";
  const int result = std::system(command.c_str());
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
