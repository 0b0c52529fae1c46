// Where the running program's own file lives, so that the files installed
// beside it (the phrase recordings) are found wherever the tree was put.
#pragma once

#include <string>

namespace keldar {

// The directory of the running program's file, without a trailing
// separator; empty when the platform cannot tell.
std::string executableDirectory();

}  // namespace keldar
