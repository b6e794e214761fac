#include "console/source_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace kalmira {
namespace {

std::string_view cause_of(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ENXIO:
    case ENODEV:
      return "no such file or directory";
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
    case EAGAIN:
    case EISDIR:
      return "permission denied";
    case EMFILE:
    case ENFILE:
      return "too many open files";
    default:
      return "invalid argument";
  }
}

}  // namespace

OpenedSource open_source_file(const std::string& name) {
  // Some C libraries call an empty name invalid; to the user it names no file.
  if (name.empty()) return {nullptr, cause_of(ENOENT)};
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return {nullptr, cause_of(errno)};
  std::error_code ignored;
  if (std::filesystem::is_directory(name, ignored)) {
    std::fclose(file);
    return {nullptr, cause_of(EISDIR)};
  }
  return {file, {}};
}

}  // namespace kalmira
