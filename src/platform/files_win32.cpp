#include "platform/files_win32.h"

#include <windows.h>

namespace keldar {

namespace {

// The file's content on the disk, not only in the cache.
bool flushToDisk(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushFileBuffers(file) != 0;
  return CloseHandle(file) != 0 && flushed;
}

}  // namespace

bool Win32FileSystem::replaceFileDurably(const std::string& tempPath,
                                         const std::string& finalPath) {
  // The new content must be on disk before the name points at it; the
  // write-through move returns only once the rename itself is on disk.
  if (!flushToDisk(tempPath) ||
      MoveFileExA(tempPath.c_str(), finalPath.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    DeleteFileA(tempPath.c_str());
    return false;
  }
  return true;
}

}  // namespace keldar
