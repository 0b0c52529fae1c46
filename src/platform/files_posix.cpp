#include "platform/files_posix.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace keldar {

namespace {

bool syncPath(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

std::string directoryOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

bool PosixFileSystem::replaceFileDurably(const std::string& tempPath,
                                         const std::string& finalPath) {
  // The new content must be on disk before the name points at it, and the
  // rename itself must be on disk before we report success.
  if (!syncPath(tempPath, O_RDONLY) || ::rename(tempPath.c_str(), finalPath.c_str()) != 0) {
    ::unlink(tempPath.c_str());
    return false;
  }
  return syncPath(directoryOf(finalPath), O_RDONLY | O_DIRECTORY);
}

}  // namespace keldar
