// The phrase player: one recorded phrase per name, played to its end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/panel.h"

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

// Says the phrase: it joins the speech queue, behind what is already to be
// said, and this returns at once. A name without a recording is skipped; a
// file that is missing or unplayable is silent. "help" is cut short by the
// next phrase.
void playPhrase(Panel& panel, std::string_view name);

// Hands waiting phrases to the sound device as it makes room (one ahead of
// the one sounding, so they join without a gap) and writes the SAY line of
// each as it begins to sound. The loop calls it at every wake.
void serviceSpeech(Panel& panel);
// True when everything said so far has been heard.
bool speechDone(Panel& panel);
// At the end of the run: every phrase still waiting goes to the device,
// which plays them out before it closes.
void finishSpeech(Panel& panel);

// The phrases said while one lives are one readout of `kind` ("frequency",
// "meter"): a readout of the same kind that is still waiting entirely is
// dropped, and the newer one takes its place, so quick presses never leave
// the speech minutes behind the keys.
class Readout {
 public:
  Readout(Panel& panel, std::string_view kind);
  ~Readout();
  Readout(const Readout&) = delete;
  Readout& operator=(const Readout&) = delete;

 private:
  Panel& panel_;
};

}  // namespace keldar
