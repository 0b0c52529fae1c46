#include "support/scenario.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "app/events.h"
#include "cat/work.h"

#ifndef KELDAR_SOURCE_DIR
#define KELDAR_SOURCE_DIR "."
#endif

namespace keldar::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (;;) {
    fs::path candidate = fs::temp_directory_path() /
                         ("keldar-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

const std::set<std::string>& knownPhrases() {
  static const std::set<std::string> names = [] {
    std::set<std::string> result;
    std::ifstream in(std::string(KELDAR_SOURCE_DIR) + "/data/phrases.tsv");
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      result.insert(line.substr(0, line.find('\t')));
    }
    return result;
  }();
  return names;
}

Scenario::Scenario() : panel(serial, sound, screen, clock, files) {
  panel.workDir = dir.path();
}

Scenario::~Scenario() = default;

void Scenario::keyDown(int32_t vk) {
  deliverEvent(panel, kKeyDownEvent, vk);
  if (settleKeys) settle();
}
void Scenario::keyUp(int32_t vk) {
  deliverEvent(panel, kKeyUpEvent, vk);
  if (settleKeys) settle();
}

void Scenario::settle() {
  for (int i = 0; i < 400 && workWaiting(panel); ++i) {
    clock.ms += 50;
    servicePanel(panel);
  }
}

void Scenario::press(int32_t vk) {
  keyDown(vk);
  keyUp(vk);
}

void Scenario::pressKeys(const std::string& keys) {
  for (char c : keys) press(vkOf(c));
}

void Scenario::tick(int count) {
  for (int i = 0; i < count; ++i) {
    clock.ms += 50;
    serial.advanceTick();
    deliverEvent(panel, kTimerEvent, 1);
  }
}

void Scenario::closeRequest() {
  deliverEvent(panel, kCloseRequestEvent, 0);
}

std::vector<std::string> Scenario::takePhrases() {
  std::vector<std::string> names;
  const std::string prefix = panel.path("wave/");
  for (; soundTaken_ < sound.plays.size(); ++soundTaken_) {
    const std::string& p = sound.plays[soundTaken_].path;
    if (p.rfind(prefix, 0) != 0) continue;
    std::string name = p.substr(prefix.size());
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".wav") == 0) {
      name.resize(name.size() - 4);
    }
    // A lone character may be a blank or a sign that has no recording; any
    // longer name must be one the phrase set provides.
    if (name.size() > 1 && knownPhrases().count(name) == 0) {
      ADD_FAILURE() << "phrase '" << name << "' is not listed in data/phrases.tsv";
    }
    names.push_back(name);
  }
  return names;
}

std::vector<std::string> Scenario::takeSoundPaths() {
  std::vector<std::string> paths;
  const std::string prefix = dir.path() + "/";
  for (; pathTaken_ < sound.plays.size(); ++pathTaken_) {
    std::string p = sound.plays[pathTaken_].path;
    if (p.rfind(prefix, 0) == 0) p = p.substr(prefix.size());
    paths.push_back(p);
  }
  return paths;
}

std::string Scenario::readFile(const std::string& name) const {
  std::ifstream in(path(name), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void Scenario::writeFile(const std::string& name, const std::string& content) const {
  std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
  out << content;
}

bool Scenario::fileExists(const std::string& name) const {
  std::error_code ec;
  return fs::exists(path(name), ec);
}

int32_t vkOf(char c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
  switch (c) {
    case '.':
      return 190;
    case '\n':
    case '\r':
      return 13;
    case ' ':
      return 32;
    case '=':
    case '+':
      return 187;
    case '-':
      return 189;
    default:
      return 0;
  }
}

std::vector<std::string> splitCommands(const std::string& bytes) {
  std::vector<std::string> commands;
  std::string current;
  for (char c : bytes) {
    current += c;
    if (c == ';') {
      commands.push_back(current);
      current.clear();
    }
  }
  if (!current.empty()) commands.push_back(current);
  return commands;
}

}  // namespace keldar::testing
