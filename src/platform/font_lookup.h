// Resolving a face name to a font file with fontconfig.
#pragma once

#include <string>

namespace keldar {

// The file of the face at the weight (Windows scale: 700 and above is bold).
// When the face is not installed, the monospaced default: the panel erases a
// field by printing blanks over it, which only covers the old text when a
// blank is as wide as any other character. Empty when no font is found.
std::string findFontFile(const std::string& face, int weight);

// The monospaced default alone.
std::string defaultFontFile(int weight);

}  // namespace keldar
