#include <windows.h>

#include <string>

#include "platform/program_location.h"

namespace keldar {

std::string executableDirectory() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    // A path that filled the buffer may have been cut short: try a larger one.
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  const auto separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return {};
  // "C:\keldar.exe" lies in "C:\", whose separator is part of the name.
  if (separator == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, separator);
}

}  // namespace keldar
