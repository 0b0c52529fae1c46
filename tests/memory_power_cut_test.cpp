// A process saving the banks is killed with SIGKILL at random moments; the
// file it leaves must always load to the last completed save or the one in
// progress, never to a torn mixture or a short file.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "memory/bank_file.h"
#include "support/bank_generations.h"
#include "support/scenario.h"

extern char** environ;

namespace keldar {
namespace {

using testing::Scenario;

#ifndef KELDAR_SAVE_LOOP
#define KELDAR_SAVE_LOOP "memory_save_loop"
#endif

constexpr int kRounds = 150;
constexpr int kMaxDelayUs = 40000;
constexpr int kHangGuardMs = 60000;

struct SavedFiles {
  std::string banks;
  std::string listing;
};

// What save number n writes, produced in a scratch directory.
const SavedFiles& savedFiles(int n) {
  static std::map<int, SavedFiles> cache;
  auto found = cache.find(n);
  if (found != cache.end()) return found->second;
  Scenario scratch;
  testing::fillGeneration(scratch.state(), n);
  EXPECT_TRUE(saveMemoryBanks(scratch.panel));
  return cache[n] = {scratch.readFile("savmem.dat"), scratch.readFile("memory.txt")};
}

// Starts the saver on dir from save number start; its stdout is readFd.
pid_t startSaver(const std::string& dir, int start, int& readFd) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  const std::string startText = std::to_string(start);
  char* argv[] = {const_cast<char*>(KELDAR_SAVE_LOOP), const_cast<char*>(dir.c_str()),
                  const_cast<char*>(startText.c_str()), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, KELDAR_SAVE_LOOP, &actions, nullptr, argv, environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  readFd = fds[0];
  return pid;
}

// Everything the saver wrote; the last whole line is the last completed save.
int lastCompletedSave(int readFd, int before) {
  std::string out;
  char buffer[4096];
  pollfd p{readFd, POLLIN, 0};
  while (::poll(&p, 1, kHangGuardMs) > 0) {
    const ssize_t got = ::read(readFd, buffer, sizeof buffer);
    if (got <= 0) break;
    out.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(readFd);
  const auto end = out.rfind('\n');
  if (end == std::string::npos) return before;
  const auto start = out.rfind('\n', end - 1);
  const std::size_t from = start == std::string::npos ? 0 : start + 1;
  return std::stoi(out.substr(from, end - from));
}

// The save number whose file content this is, or -1.
int whichSave(const std::string& content, int last) {
  for (int n : {last, last + 1}) {
    if (content == savedFiles(n).banks) return n;
  }
  return -1;
}

void expectLoadsAs(const std::string& content, int n) {
  Scenario reader;
  for (int row = 1; row <= kBandCount; ++row)
    reader.state().bandTable[row] = kDefaultBandTable[row];
  for (BasicString& channel : reader.state().memoryChannels) channel = "9";
  reader.writeFile("savmem.dat", content);
  loadMemoryBanks(reader.panel);
  PanelState expected;
  testing::fillGeneration(expected, n);
  EXPECT_EQ(reader.state().bandTable, expected.bandTable);
  EXPECT_EQ(reader.state().memoryChannels, expected.memoryChannels);
  EXPECT_EQ(reader.state().bandIndex, expected.bandIndex);
  EXPECT_EQ(reader.state().noiseReduction, expected.noiseReduction);
  EXPECT_FALSE(reader.fileExists("savmem.bak")) << "the loader found something to repair";
}

TEST(MemoryPowerCut, KilledSaveLeavesTheOldOrTheNewBanks) {
  Scenario sc;
  testing::fillGeneration(sc.state(), 0);
  ASSERT_TRUE(saveMemoryBanks(sc.panel));

  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> delayUs(0, kMaxDelayUs);
  int onDisk = 0;
  int listingOnDisk = 0;
  int newer = 0;
  for (int round = 0; round < kRounds; ++round) {
    int readFd = -1;
    const pid_t pid = startSaver(sc.dir.path(), onDisk + 1, readFd);
    ASSERT_GT(pid, 0) << "cannot start " << KELDAR_SAVE_LOOP;
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver ended by itself, status " << status;
    const int last = lastCompletedSave(readFd, onDisk);

    const std::string banks = sc.readFile("savmem.dat");
    const int found = whichSave(banks, last);
    ASSERT_NE(found, -1) << "round " << round << " seed " << seed << ": savmem.dat is neither save "
                         << last << " nor " << last + 1 << " (" << banks.size() << " bytes)";
    // The listing follows the banks; it may lag behind them by the saves
    // that were cut between the two files, but it is never torn.
    const std::string listing = sc.readFile("memory.txt");
    int listed = last + 1;
    while (listed >= listingOnDisk && listing != savedFiles(listed).listing) --listed;
    ASSERT_GE(listed, listingOnDisk)
        << "round " << round << " seed " << seed << ": memory.txt is no whole listing";
    listingOnDisk = listed;
    expectLoadsAs(banks, found);
    if (found > onDisk) ++newer;
    onDisk = found;
  }
  std::printf("%d rounds, %d ended with a newer save, last save %d (seed %u)\n", kRounds, newer,
              onDisk, seed);
}

}  // namespace
}  // namespace keldar
