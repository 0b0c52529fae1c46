// Whole-file writes of the memory files that a crash or power cut cannot
// leave half done, and the one way their failures are reported.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/files.h"
#include "core/panel.h"

namespace keldar {

// Writes the lines, each ended by CR LF, to "<name>.tmp" beside the file and
// puts that in place of the file with replaceFileDurably; something there
// that is not a plain file is refused. On failure the old
// file is left as it was, the temporary file is removed, and why tells what
// went wrong.
bool replaceWithLines(Panel& panel, FileHandle& handle, std::string_view name,
                      const std::vector<std::string>& lines, std::string& why);

// Where the temporary file of a replacement of name lives (beside the file a
// link points to).
std::string temporaryPathOf(const Panel& panel, std::string_view name);

// Copies one file of the working directory to another name, durably.
bool copyFileDurably(Panel& panel, std::string_view from, std::string_view to, std::string& why);

// Moves a file of the working directory to another name (for a file that
// cannot be read, so cannot be copied).
bool moveFile(Panel& panel, std::string_view from, std::string_view to, std::string& why);

// Whether the working directory has an entry of that name (a dangling link
// counts: it still names something the user made).
bool fileIsThere(const Panel& panel, std::string_view name);

// Whether that entry is a file with nothing in it.
bool fileIsEmpty(const Panel& panel, std::string_view name);

// One line on stderr and, when logging, in debug.dat.
void reportMemoryProblem(Panel& panel, std::string_view text);

}  // namespace keldar
