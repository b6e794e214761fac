#include <cstdio>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/converter.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // The converter writes its own CR LF line ends; the C runtime must not add a second CR.
  for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
#endif
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  kalmira::Console console(stdin, stdout, stderr);
  return kalmira::run_converter(arguments, console);
}
