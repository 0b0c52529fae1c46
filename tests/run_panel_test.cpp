#include "app/run_panel.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/startup.h"
#include "keldar/version.h"
#include "speech/player.h"
#include "support/scenario.h"

namespace keldar {
namespace {

using testing::Scenario;

// Listens as the test says, and keeps where it was asked to.
class FakeListeningServer : public ListeningServer {
 public:
  bool listen(const std::string& address, int port, std::string& error) override {
    askedAddress = address;
    askedPort = port;
    error = refusal;
    return refusal.empty();
  }
  std::string boundAddress() const override { return bound; }
  bool loopbackOnly() const override { return loopback; }
  void poll(std::vector<NetworkActivity>&) override {}
  void send(int, std::string_view) override {}
  void drop(int) override {}

  std::string refusal;
  std::string bound = "127.0.0.1:4532";
  bool loopback = true;
  std::string askedAddress;
  int askedPort = -1;
};

// A front end whose first call fails the way a library out of memory would.
class ThrowingFrontEnd : public testing::FakeFrontEnd {
 public:
  bool openWindow(const std::string&, int, int, int, int) override {
    throw std::runtime_error("out of memory");
  }
};

CommandLine sharedOn(const std::string& address, int port) {
  CommandLine line;
  line.rigctldAddress = address;
  line.rigctldPort = port;
  return line;
}

TEST(RunPanel, TheCommandLineAloneAnswersVersionAndMistakes) {
  const OfferedOptions noTerminal{false, true, true};
  CommandLine wrong;
  wrong.error = "unknown option --x";
  std::ostringstream out, err;
  EXPECT_EQ(answerWithoutPanel(wrong, noTerminal, out, err), 2);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "keldar: unknown option --x\n" + usageLine(noTerminal) + "\n");

  CommandLine version;
  version.version = true;
  std::ostringstream versionOut;
  EXPECT_EQ(answerWithoutPanel(version, {}, versionOut, err), 0);
  EXPECT_EQ(versionOut.str(), "keldar " + std::string(kVersion) + "\n");

  std::ostringstream quietOut, quietErr;
  EXPECT_EQ(answerWithoutPanel(CommandLine{}, {}, quietOut, quietErr), std::nullopt);
  EXPECT_EQ(quietOut.str() + quietErr.str(), "");
}

TEST(RunPanel, APortThatCannotBeHadIsSaidAndSharingIsSaidWithItsWarning) {
  FakeListeningServer taken;
  taken.refusal = "address in use";
  std::ostringstream err;
  EXPECT_FALSE(listenForClients(sharedOn("0.0.0.0", 4532), taken, err));
  EXPECT_EQ(taken.askedAddress, "0.0.0.0");
  EXPECT_EQ(taken.askedPort, 4532);
  EXPECT_EQ(err.str(), "keldar: cannot share the radio on 0.0.0.0:4532: address in use\n");

  FakeListeningServer open;
  open.bound = "0.0.0.0:4533";
  open.loopback = false;
  std::ostringstream said;
  EXPECT_TRUE(listenForClients(sharedOn("0.0.0.0", 4533), open, said));
  std::string expected;
  for (const std::string& note : sharingNotes("0.0.0.0:4533", false)) {
    expected += "keldar: " + note + "\n";
  }
  EXPECT_EQ(said.str(), expected);
  EXPECT_NE(said.str().find("warning"), std::string::npos);
}

TEST(RunPanel, TheRunningPanelTellsWhereTheRadioIsOnlyWhileItIsFollowed) {
  Scenario sc;
  sc.state().comPort = 5;
  sc.state().radioAddress = "tcp:rig:4000";
  sc.state().debugLog = 1;
  CommandLine plain;
  RunningPanel running(plain);
  EXPECT_EQ(running.radioPort(), 0);
  EXPECT_EQ(running.radioAddress(), "");
  running.note("before");
  EXPECT_EQ(sc.state().debugLine.str(), "");

  running.follow(&sc.panel);
  EXPECT_EQ(running.radioPort(), 5);
  EXPECT_EQ(running.radioAddress(), "tcp:rig:4000");
  running.note("COM5: gone");
  EXPECT_EQ(sc.state().debugLine.str(), "COM5: gone");

  CommandLine named;
  named.radioAddress = "tcp:other:23";
  RunningPanel told(named);
  told.follow(&sc.panel);
  EXPECT_EQ(told.radioAddress(), "tcp:other:23");
  running.follow(nullptr);
  EXPECT_EQ(running.radioPort(), 0);
}

TEST(RunPanel, AnExceptionEndsTheRunWithStatusOneAfterTheRecordingsWereRead) {
  Scenario sc;
  ThrowingFrontEnd screen;
  PlatformParts parts{sc.serial, sc.sound, screen, sc.clock, sc.files};
  parts.programDir = "/opt/keldar/bin";
  std::vector<std::string> preloaded;
  parts.preload = [&preloaded](const std::vector<std::string>& folders) { preloaded = folders; };
  CommandLine line;
  RunningPanel running(line);

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runPanel(line, parts, running), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "keldar: out of memory\n");
  std::vector<std::string> expected{"wave"};
  for (const std::string& folder : phraseFoldersBeside("/opt/keldar/bin")) {
    expected.push_back(folder);
  }
  EXPECT_EQ(preloaded, expected);
  EXPECT_GT(preloaded.size(), 1u);
}

}  // namespace
}  // namespace keldar
