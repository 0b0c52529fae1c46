#include "platform/program_location.h"

#include <unistd.h>

#include <string>
#include <vector>

namespace keldar {

std::string executableDirectory() {
  // The kernel's link names the file itself, symlinks through which it was
  // started resolved; a path that does not fit is refused, never cut.
  std::vector<char> buffer(4096);
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return {};
  const std::string file(buffer.data(), static_cast<std::size_t>(n));
  const auto slash = file.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : file.substr(0, slash);
}

}  // namespace keldar
