// The panel at the edges of what it is given: keldar.cfg refused line by
// line, backups that are never written over, bank files that are not files,
// a process out of descriptors, the sharing port said, a start after an
// interrupted save, a terminal that stops reading.
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>

#include <gtest/gtest.h>

#include "station.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const std::string kConnected = "SAY wave/connected.wav";

const std::vector<std::string> kGoodConfig = {
    "COM=3", "Speed=38400", "Power=100", "Swr=1",     "Atu=1",       "Bands  =7", "Switch=0",
    "Dcs=1", "10m = +100",  "6m = -500", "2m = -600", "70cm= -7600", "Relay=0",   "Debug=1"};

class Edges : public ::testing::Test {
 protected:
  bool start(StationOptions options, bool untilConnected = true) {
    station_ = std::make_unique<Station>(std::move(options));
    if (!station_->start()) {
      ADD_FAILURE() << station_->error();
      return false;
    }
    return !untilConnected || station_->waitForTrace(kConnected);
  }
  void TearDown() override {
    if (HasFailure() && station_) std::cout << station_->report();
  }
  bool says(const std::string& text) {
    return waitUntil([&] { return station_->terminalText().find(text) != std::string::npos; });
  }
  std::unique_ptr<Station> station_;
};

// A client of the port; -1 when it cannot get in within a short while (a full
// backlog drops the handshake).
int connectTo(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  const timeval wait{0, 300000};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  at.sin_port = htons(static_cast<uint16_t>(port));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// CPU seconds the process has used.
double cpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::stol(field);
  }
  return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

TEST_F(Edges, AConfigurationLineOutOfRangeOrAMissingFileEndsTheRunBeforeTheRadio) {
  StationOptions options;
  options.config = kGoodConfig;
  options.config[2] = "Power=999";
  ASSERT_TRUE(start(options, false));
  EXPECT_EQ(station_->waitForEnd(), 1);
  EXPECT_NE(station_->terminalText().find(
                "keldar.cfg line 3 \"Power=999\" holds \"999\"; allowed: watts from 5 to 100"),
            std::string::npos);
  EXPECT_TRUE(station_->traceHas("SAY wave/cfgerr.wav"));
  EXPECT_TRUE(station_->traceHas("SAY wave/3.wav"));
  EXPECT_TRUE(station_->radioLog().empty()) << "the radio received commands";

  StationOptions missing;
  missing.prepare = [](const fs::path& work) { fs::remove(work / "keldar.cfg"); };
  ASSERT_TRUE(start(missing, false));
  EXPECT_EQ(station_->waitForEnd(), 1);
  EXPECT_NE(station_->terminalText().find("keldar.cfg not found in "), std::string::npos);
  EXPECT_TRUE(station_->radioLog().empty());
}

TEST_F(Edges, AGoodBackupBesideADamagedFileIsKept) {
  StationOptions options;
  options.prepare = [](const fs::path& work) {
    std::ofstream(work / "savmem.bak") << "the good backup";
    std::ofstream(work / "savmem.dat") << "damaged";
  };
  ASSERT_TRUE(start(options));
  EXPECT_TRUE(says("kept as savmem.bak.1"));
  EXPECT_EQ(station_->quit(), 0);
  EXPECT_EQ(readFile(station_->work() / "savmem.bak"), "the good backup");
  EXPECT_EQ(readFile(station_->work() / "savmem.bak.1"), "damaged");
}

TEST_F(Edges, ABankFileThatIsAFifoIsRefusedAndQQStillEnds) {
  StationOptions options;
  options.prepare = [](const fs::path& work) { ::mkfifo((work / "savmem.dat").c_str(), 0600); };
  ASSERT_TRUE(start(options)) << "the start hung on the FIFO";
  EXPECT_TRUE(says("savmem.dat is a FIFO, not a plain file: refused"));
  EXPECT_TRUE(station_->traceHas("SAY wave/notfile.wav"));
  ASSERT_TRUE(station_->press("q"));
  EXPECT_TRUE(station_->waitForTrace("SAY wave/notsaved.wav"));
  ASSERT_TRUE(station_->press("q"));
  EXPECT_EQ(station_->waitForEnd(), 0);
  EXPECT_EQ(fs::status(station_->work() / "savmem.dat").type(), fs::file_type::fifo);
  EXPECT_FALSE(fs::exists(station_->work() / "memory.txt"));
}

TEST_F(Edges, OutOfDescriptorsTheListenerRestsInsteadOfSpinning) {
  StationOptions options;
  options.panelArgs = {"--rigctld", "0"};
  options.fileLimit = 24;
  ASSERT_TRUE(start(options));
  ASSERT_TRUE(says("sharing the radio (rigctld) on 127.0.0.1:"));
  const std::string text = station_->terminalText();
  const size_t at = text.find("127.0.0.1:") + 10;
  const int port = std::stoi(text.substr(at));
  std::vector<int> clients;
  for (int i = 0; i < 40; ++i) {
    const int fd = connectTo(port);
    if (fd < 0) break;
    clients.push_back(fd);
  }
  std::this_thread::sleep_for(Millis(500));
  const pid_t pid = station_->panel()->pid();
  const auto open = std::distance(fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd"),
                                  fs::directory_iterator());
  ASSERT_GE(open, options.fileLimit - 1) << "the panel did not run out of descriptors";
  const double before = cpuSeconds(pid);
  std::this_thread::sleep_for(Millis(2000));
  const double used = cpuSeconds(pid) - before;
  std::printf("[ cpu ] %.2f s of CPU in 2 s with the descriptors used up\n", used);
  EXPECT_LT(used, 0.5) << "the loop spins on a listener it cannot serve";
  for (int fd : clients) ::close(fd);
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(Edges, TheSharingPortIsSaidAndLoggedAndIsTheOneListenedOn) {
  StationOptions options;
  options.panelArgs = {"--rigctld", "0"};
  ASSERT_TRUE(start(options));
  ASSERT_TRUE(says("keldar: sharing the radio (rigctld) on 127.0.0.1:"));
  const std::string text = station_->terminalText();
  const size_t at = text.find("127.0.0.1:");
  const int port = std::stoi(text.substr(at + 10));
  EXPECT_GT(port, 0);
  EXPECT_EQ(text.find("warning"), std::string::npos) << "loopback is no reason to warn";
  const auto debug = station_->debugLines();
  EXPECT_NE(std::find(debug.begin(), debug.end(),
                      "sharing the radio (rigctld) on 127.0.0.1:" + std::to_string(port)),
            debug.end());
  ASSERT_TRUE(says("7.100000"));  // the frequency is known
  const int fd = connectTo(port);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "f\n", 2), 2);
  char answer[64] = {};
  EXPECT_GT(::read(fd, answer, sizeof answer - 1), 0);
  EXPECT_EQ(std::string(answer).substr(0, 7), "7100000");
  ::close(fd);
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(Edges, AStartAfterAnInterruptedSaveTidiesTheFiles) {
  ASSERT_TRUE(start({}));
  ASSERT_EQ(station_->quit(), 0);
  const fs::path work = station_->work();
  std::ofstream(work / "memory.txt") << "one store behind";
  fs::last_write_time(work / "memory.txt",
                      fs::last_write_time(work / "savmem.dat") - std::chrono::seconds(10));
  std::ofstream(work / "savmem.dat.tmp") << "half";
  std::ofstream(work / "memory.txt.tmp") << "half";
  ASSERT_TRUE(station_->restartPanel());
  ASSERT_TRUE(station_->waitForTrace(kConnected));
  EXPECT_FALSE(fs::exists(work / "savmem.dat.tmp"));
  EXPECT_FALSE(fs::exists(work / "memory.txt.tmp"));
  EXPECT_EQ(readFile(work / "memory.txt").rfind("Memory Bank Information", 0), 0u);
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(Edges, ATerminalThatStopsReadingNeverHoldsThePanel) {
  ASSERT_TRUE(start({}));
  ASSERT_TRUE(says("7.100000"));
  ASSERT_TRUE(station_->panel()->holdOutput(true));
  ASSERT_TRUE(station_->press("\x1b[C"));  // Right: 100 Hz up, redrawn
  EXPECT_TRUE(station_->waitForTrace("WRITE 3 FA007100100;")) << "the key waited for the screen";
  ASSERT_TRUE(station_->press("\x1b[C"));
  EXPECT_TRUE(station_->waitForTrace("WRITE 3 FA007100200;"));
  // Reading again, it gets the latest screen.
  ASSERT_TRUE(station_->panel()->holdOutput(false));
  EXPECT_TRUE(says("7.100200"));
  // Q Q ends with the terminal stopped, the radio unkeyed and the banks saved.
  ASSERT_TRUE(station_->panel()->holdOutput(true));
  ASSERT_TRUE(station_->press("qq"));
  EXPECT_EQ(station_->waitForEnd(), 0) << "the shutdown waited for the screen";
  EXPECT_TRUE(fs::exists(station_->work() / "savmem.dat"));
  station_->panel()->holdOutput(false);
}

}  // namespace
}  // namespace e2e
