// Durable file replacement on Windows.
#pragma once

#include <string>

#include "base/platform.h"

namespace keldar {

class Win32FileSystem : public FileSystem {
 public:
  bool replaceFileDurably(const std::string& tempPath, const std::string& finalPath) override;
};

}  // namespace keldar
