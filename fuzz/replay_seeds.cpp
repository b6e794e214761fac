// Replays a fuzz target's seeds without libFuzzer, so that the ordinary test run holds every
// target's property on them whatever the compiler: each file in the folders given is one input,
// and a failed property aborts. Usage: fuzz_NAME FOLDER...
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  std::size_t seeds = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
      if (!entry.is_regular_file()) continue;
      std::ostringstream read;
      read << std::ifstream(entry.path(), std::ios::binary).rdbuf();
      const std::string bytes = read.str();
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++seeds;
    }
  }
  std::printf("%zu seeds replayed\n", seeds);
  return seeds > 0 ? 0 : 1;
}
