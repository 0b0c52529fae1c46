// The phrase player: one recorded phrase per name, played to its end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/panel.h"

namespace keldar {

// The file a phrase name stands for, relative to the working directory:
// the prefix with the platform's separator, the name, and ".wav" when the
// last component has none ("wave\" + "9" -> "wave/9.wav", "xx" + "9" ->
// "xx9.wav").
std::string phrasePath(std::string_view prefix, std::string_view name);

// Whether a name can stand for a recording at all. An empty name, a name
// with a blank, a control character or a separator, and a lone character
// other than a digit have none.
bool namesRecording(std::string_view name);

// The folders of recordings that belong to a program installed in
// programDir, searched after the working directory's wave/: a "wave" folder
// beside the program, then "../share/keldar/wave" from it (the installed
// set). None when programDir is empty (unknown).
std::vector<std::string> phraseFoldersBeside(std::string_view programDir);

// The file to play for a phrase path ("wave/on.wav"): the working
// directory's wave/ first, so one's own recordings win file by file, then
// each of panel.phraseFolders. A path found nowhere, or outside wave/, is
// returned as it is. A path of the working directory stays relative to it.
std::string findRecording(const Panel& panel, const std::string& path);

// Plays the phrase and returns when it has been heard. What was drawn before
// is put on the screen first. A name without a
// recording, or a file that is missing or unplayable, is silent and returns
// at once. "help" is started and left playing; the next phrase stops it.
void playPhrase(Panel& panel, std::string_view name);
// The pause between a query to the radio and reading its answer: the
// "delay" recording, and a timed wait for whatever of kDelayMs it did not
// fill (no recording, a shorter one, a silent phrase set).
constexpr uint32_t kDelayMs = 100;
void playDelay(Panel& panel);

}  // namespace keldar
