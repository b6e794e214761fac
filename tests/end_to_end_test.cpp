// Runs the real converter in a fresh folder for each case of cases/end_to_end.txt and each source
// of cases/hints.txt and compares what it prints, returns and writes, byte for byte: with files as
// its standard streams, or on a terminal. The words after the test options start the converter (a
// path to it, or an emulator and the path); KALMIRA_TEST_PLATFORM (posix or windows) selects the
// cases.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "case_file.h"

namespace kalmira::testing {

// A failing case is shown by its name.
void PrintTo(const EndToEndCase& run, std::ostream* out) { *out << run.name; }

namespace {

namespace fs = std::filesystem;

std::vector<std::string> converter;

std::string read_file(const fs::path& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

void write_file(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// In a child process: runs the converter in `folder` with the case's arguments. A converter
// that waits for input it never gets is ended after a minute, so that it cannot stall the suite.
[[noreturn]] void exec_converter(const EndToEndCase& run, const fs::path& folder) {
  std::vector<std::string> words = converter;
  words.insert(words.end(), run.arguments.begin(), run.arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  if (::chdir(folder.c_str()) == 0) {
    ::alarm(60);
    ::execvp(argv[0], argv.data());
  }
  ::_exit(127);
}

// The exit status of a child that has ended, or -1 where it was killed.
int status_of(pid_t child) {
  int result = 0;
  ::waitpid(child, &result, 0);
  return WIFEXITED(result) ? WEXITSTATUS(result) : -1;
}

// Runs the converter with files as its standard streams: standard input holds the case's
// input. Files get the dialogue's bytes even where the locale would have a terminal show UTF-8.
int run_with_files(const EndToEndCase& run, const fs::path& folder) {
  write_file(folder / ".stdin", run.input);
  const pid_t child = ::fork();
  if (child == 0) {
    const char* names[] = {".stdin", ".stdout", ".stderr"};
    for (int stream = 0; stream < 3; ++stream) {
      std::FILE* file = std::fopen((folder / names[stream]).c_str(), stream == 0 ? "rb" : "wb");
      if (file == nullptr || ::dup2(::fileno(file), stream) < 0) ::_exit(127);
    }
    ::setenv("LC_ALL", "C.UTF-8", 1);
    exec_converter(run, folder);
  }
  return status_of(child);
}

// Runs the converter on a raw terminal with only the case's locale settings in its
// environment, types the case's input and collects the screen until the converter ends.
std::pair<std::string, int> run_on_terminal(const EndToEndCase& run, const fs::path& folder) {
  termios raw{};
  ::cfmakeraw(&raw);  // no echo and no line-end translation: the screen gets the bytes written
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, &raw, nullptr);
  if (child == 0) {
    ::clearenv();
    std::istringstream settings(*run.terminal);
    for (std::string setting; settings >> setting;) ::putenv(strdup(setting.c_str()));
    exec_converter(run, folder);
  }
  if (::write(terminal, run.input.data(), run.input.size()) < 0) return {"", -1};
  std::string shown;
  char buffer[4096];
  for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;) {
    shown.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(terminal);
  return {shown, status_of(child)};
}

class EndToEnd : public ::testing::TestWithParam<EndToEndCase> {};

TEST_P(EndToEnd, PrintsReturnsAndWritesWhatTheCaseSays) {
  const EndToEndCase& run = GetParam();
  const fs::path folder = fs::temp_directory_path() / ("kalmira-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (const std::string& name : run.folders) fs::create_directories(folder / name);
  for (const auto& [name, bytes] : run.files) write_file(folder / name, bytes);
  if (run.terminal) {
    const auto [shown, status] = run_on_terminal(run, folder);
    EXPECT_EQ(shown, run.output);
    EXPECT_EQ(status, run.status);
  } else {
    EXPECT_EQ(run_with_files(run, folder), run.status);
    EXPECT_EQ(read_file(folder / ".stdout"), run.output);
    EXPECT_EQ(read_file(folder / ".stderr"), run.error);
  }
  for (const auto& [name, bytes] : run.results) {
    EXPECT_TRUE(fs::exists(folder / name)) << name;
    EXPECT_EQ(read_file(folder / name), bytes) << name;
  }
  for (const std::string& name : run.absent) EXPECT_FALSE(fs::exists(folder / name)) << name;
  fs::remove_all(folder);
}

// A source of the hint table converted: each of its hints a line on standard error.
EndToEndCase hint_run(const Case& row) {
  EndToEndCase run;
  run.name = "hints line " + std::to_string(row.line);
  run.files = {{"quelle.bcr", row.fields[0]}};
  run.arguments = {"quelle.bcr"};
  run.output =
      "Konvertierung von\r\n  quelle.bcr\r\nnach \r\n  quelle.asc\r\nBitte mit Return "
      "best\xE4tigen";
  for (auto hint = row.fields.begin() + 1; hint != row.fields.end(); ++hint) {
    run.error += "Hinweis: " + *hint + "\r\n";
  }
  return run;
}

std::vector<EndToEndCase> cases_of_this_platform() {
  const char* platform = std::getenv("KALMIRA_TEST_PLATFORM");
  std::vector<EndToEndCase> cases = read_end_to_end_cases();
  std::erase_if(cases, [&](const EndToEndCase& run) {
    return !run.platform.empty() && run.platform != (platform ? platform : "posix");
  });
  for (const Case& row : read_cases("hints.txt")) cases.push_back(hint_run(row));
  return cases;
}

// A case's name as a test's: its letters and digits, the rest as "_".
std::string test_name(const ::testing::TestParamInfo<EndToEndCase>& info) {
  std::string name = info.param.name;
  for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEnd, ::testing::ValuesIn(cases_of_this_platform()), test_name);

}  // namespace
}  // namespace kalmira::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Without words: the installed converter.
  kalmira::testing::converter.assign(argv + 1, argv + argc);
  if (kalmira::testing::converter.empty()) kalmira::testing::converter = {"kalmira"};
  return RUN_ALL_TESTS();
}
