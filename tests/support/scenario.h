// The scenario harness: a panel built on fakes in a temporary working
// directory, driven key by key and tick by tick. Tests assert the bytes each
// port received, the rows of phrases heard, the screen fields and the files.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "core/panel.h"
#include "support/fakes.h"

namespace keldar::testing {

// A fresh directory under the system's temporary folder, removed at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The phrase names of data/phrases.tsv.
const std::set<std::string>& knownPhrases();

class Scenario {
 public:
  Scenario();
  ~Scenario();

  PanelState& state() { return panel.state; }

  // Events, delivered through the same path as the real event loop.
  void keyDown(int32_t vk);
  void keyUp(int32_t vk);
  void press(int32_t vk);                   // down and up
  void pressKeys(const std::string& keys);  // letters, digits, '.', '\n' as Enter
  void tick(int count = 1);
  void closeRequest();
  // Lets the clock run (without ticks, so without polls) until the work the
  // keys started is no longer waiting: unanswered queries reach their
  // deadlines, pauses run out. Keys do it after each event unless a test
  // wants to watch the work wait (settleKeys false).
  void settle();
  bool settleKeys = true;

  // The radio's port (comPort) and any other port.
  void feedRadio(const std::string& bytes) { serial.feed(panel.state.comPort, bytes); }
  std::string takeRadio() { return serial.take(panel.state.comPort); }
  std::string takePort(int port) { return serial.take(port); }

  // Phrase names heard since the last take ("wave/on.wav" -> "on"); silent
  // requests (another prefix) are left out. Names not in data/phrases.tsv fail
  // the test.
  std::vector<std::string> takePhrases();
  // Every path asked of the sound part since the last take, heard or not.
  std::vector<std::string> takeSoundPaths();

  std::string field(int x, int y) const { return screen.field(x, y); }

  // Files of the working directory.
  std::string path(const std::string& name) const { return panel.path(name); }
  std::string readFile(const std::string& name) const;
  void writeFile(const std::string& name, const std::string& content) const;
  bool fileExists(const std::string& name) const;

  TempDir dir;
  FakeSerialPorts serial;
  FakeSound sound;
  FakeFrontEnd screen;
  FakeClock clock;
  FakeFileSystem files;
  Panel panel;

 private:
  std::size_t soundTaken_ = 0;
  std::size_t pathTaken_ = 0;
};

// Windows virtual-key code of a character as the panel's keys map it.
int32_t vkOf(char c);

// The test-friendly form of a byte string: "FA;SM0;" -> {"FA;", "SM0;"}.
std::vector<std::string> splitCommands(const std::string& bytes);

}  // namespace keldar::testing
