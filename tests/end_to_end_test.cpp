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
using kalmira::testing::read_case_file;
using kalmira::testing::unescape;

std::string converter_command;

std::string read_file(const fs::path& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

std::string bytes_of(const std::string& value) {
  return value.starts_with('@') ? read_case_file(value.substr(1)) : unescape(value);
}

std::string shell_quoted(const std::string& word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Sets up the folder from one case's lines, runs the converter there and checks the outcome.
void run_case(const std::string& name, const std::vector<std::string>& lines,
              const fs::path& folder) {
  fs::create_directories(folder);
  std::ofstream(folder / ".stdin");
  std::string arguments, out, err, status = "0";
  const char* platform = std::getenv("KALMIRA_TEST_PLATFORM");
  const std::string only = "only: " + std::string(platform ? platform : "posix");
  for (const std::string& line : lines) {
    if (line.starts_with("only: ") && line != only) return;  // a case for the other platform
  }
  for (const std::string& line : lines) {
    const std::size_t colon = line.find(": ");
    const std::string key = line.substr(0, colon);
    const std::string value = colon == std::string::npos ? "" : line.substr(colon + 2);
    if (key.starts_with("folder ")) fs::create_directories(folder / unescape(key.substr(7)));
    if (key.starts_with("file "))
      std::ofstream(folder / unescape(key.substr(5)), std::ios::binary) << bytes_of(value);
    if (key == "stdin") std::ofstream(folder / ".stdin", std::ios::binary) << unescape(value);
    if (key == "stdout") out = unescape(value);
    if (key == "stderr") err = unescape(value);
    if (key == "status") status = value;
    for (std::size_t start = 0, bar = 0; key == "args" && bar != std::string::npos;
         start = bar + 3) {
      bar = value.find(" | ", start);
      arguments += " " + shell_quoted(unescape(value.substr(start, bar - start)));
    }
  }
  // A converter that waits for input it never gets must not stall the suite. Files and pipes
  // get the dialogue's bytes even where the locale would have a terminal show UTF-8.
  const std::string command = "cd " + shell_quoted(folder.string()) +
                              " && LC_ALL=C.UTF-8 timeout 60 " + converter_command + arguments +
                              " <.stdin >.stdout 2>.stderr";
  const int result = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(result)) << name;
  EXPECT_EQ(WEXITSTATUS(result), std::stoi(status)) << name;
  EXPECT_EQ(read_file(folder / ".stdout"), out) << name;
  EXPECT_EQ(read_file(folder / ".stderr"), err) << name;
  for (const std::string& line : lines) {
    const bool must_exist = line.starts_with("result ");
    if (!must_exist && !line.starts_with("absent ")) continue;
    const std::size_t colon = line.find(": ");
    const fs::path file =
        folder / unescape(line.substr(7, colon - 7));  // both keys have 7 characters
    EXPECT_EQ(fs::exists(file), must_exist) << name << ": " << line;
    if (must_exist) {
      EXPECT_EQ(read_file(file), bytes_of(line.substr(colon + 2))) << name << ": " << line;
    }
  }
}

TEST(EndToEnd, DialogueFilesAndExitStatus) {
  std::vector<std::pair<std::string, std::vector<std::string>>> cases;
  std::istringstream lines(read_case_file("end_to_end.txt"));
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("== ")) {
      cases.emplace_back(line.substr(3), std::vector<std::string>{});
    } else if (!line.empty() && line[0] != '#') {
      cases.back().second.push_back(line);
    }
  }
  const fs::path root = fs::temp_directory_path() / ("kalmira-" + std::to_string(::getpid()));
  for (std::size_t i = 0; i < cases.size(); ++i)
    run_case(cases[i].first, cases[i].second, root / std::to_string(i));
  fs::remove_all(root);
  EXPECT_GT(cases.size(), 10U);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  converter_command = argc > 1 ? argv[1] : "kalmira";  // without one: the installed converter
  return RUN_ALL_TESTS();
}
