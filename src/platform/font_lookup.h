// Resolving a face name to a font file with fontconfig.
#pragma once

#include <string>

namespace keldar {

// The file of the face at the weight; a monospaced default when the face is
// not installed.
std::string findFontFile(const std::string& face, int weight);

}  // namespace keldar
