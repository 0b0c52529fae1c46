// Where the running program's own file is.
#pragma once

#include <string>

namespace keldar {

// The directory of the running program's own file, no trailing separator;
// empty if unknown.
std::string executableDirectory();

}  // namespace keldar
