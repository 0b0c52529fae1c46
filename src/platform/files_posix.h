// Durable file replacement on POSIX file systems.
#pragma once

#include "base/platform.h"

namespace keldar {

class PosixFileSystem : public FileSystem {
 public:
  bool replaceFileDurably(const std::string& tempPath, const std::string& finalPath) override;
};

}  // namespace keldar
