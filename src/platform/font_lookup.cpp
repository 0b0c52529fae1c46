#include "platform/font_lookup.h"

#include <fontconfig/fontconfig.h>

#include <strings.h>
#include <array>

namespace keldar {

namespace {

// No face can be called this; what fontconfig returns for it is its fallback.
constexpr const char* kImpossibleFace = "keldar-no-such-face-8f3a1c";
constexpr std::array<const char*, 2> kMonospacedFaces = {"Liberation Mono", "DejaVu Sans Mono"};

struct Match {
  std::string file;
  std::string family;
};

bool isBold(int weight) {
  return weight >= 600;
}

// fontconfig always answers with some font; the caller judges whether it is
// the face that was asked for.
Match matchFace(const char* face, int weight) {
  Match match;
  if (FcInit() == FcFalse) return match;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return match;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face));
  FcPatternAddInteger(pattern, FC_WEIGHT, isBold(weight) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(nullptr, pattern, &result);
  if (found != nullptr) {
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch) {
      match.file = reinterpret_cast<const char*>(file);
    }
    if (FcPatternGetString(found, FC_FAMILY, 0, &family) == FcResultMatch) {
      match.family = reinterpret_cast<const char*>(family);
    }
    FcPatternDestroy(found);
  }
  FcPatternDestroy(pattern);
  return match;
}

}  // namespace

std::string defaultFontFile(int weight) {
  for (const char* face : kMonospacedFaces) {
    const Match match = matchFace(face, weight);
    if (strcasecmp(match.family.c_str(), face) == 0) return match.file;
  }
  return matchFace("monospace", weight).file;
}

std::string findFontFile(const std::string& face, int weight) {
  if (!face.empty()) {
    const Match wanted = matchFace(face.c_str(), weight);
    if (wanted.file.empty()) return defaultFontFile(weight);
    // A face named exactly, or an alias fontconfig maps to something other
    // than its fallback, is installed.
    if (strcasecmp(wanted.family.c_str(), face.c_str()) == 0) return wanted.file;
    if (wanted.file != matchFace(kImpossibleFace, weight).file) return wanted.file;
  }
  return defaultFontFile(weight);
}

}  // namespace keldar
