// A real logger sharing the radio through the panel: Hamlib's rigctl on one end
// of a pty pair, the panel's relay port (COM4) on the other, the panel's radio
// port on the emulator. Prints how long rigctl's open and commands take.
#include <algorithm>
#include <cstdio>
#include <thread>

#include "acceptance.h"

namespace e2e {
namespace {

class LoggerThroughPanel : public Acceptance {
 protected:
  RunResult rig(const std::vector<std::string>& commands) {
    std::vector<std::string> argv = {
        rigctl_, "-m", "1035", "-r", station_->loggerDevice().string(), "-s", "38400"};
    argv.insert(argv.end(), commands.begin(), commands.end());
    return runToEnd(argv, kHangGuard);
  }

  std::string rigctl_ = findTool("rigctl");
};

std::string firstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

TEST_F(LoggerThroughPanel, RigctlReadsAndSetsTheRadioWhileThePanelPolls) {
  ASSERT_FALSE(rigctl_.empty())
      << "rigctl is not installed (scripts/setup installs libhamlib-utils)";
  StationOptions options;
  options.logger = true;
  station_ = std::make_unique<Station>(options);
  ASSERT_TRUE(station_->start()) << station_->error();
  // The relay port opens at the end of the set-up, before "connected".
  ASSERT_TRUE(station_->waitForTrace("SAY wave/connected.wav")) << "never connected";
  int pollsBefore = countOf(station_->radioLog(), "SM0;");

  // Open and close alone (no command: rigctl reads its commands from an empty stdin).
  RunResult open = rig({});
  ASSERT_EQ(open.exitCode, 0) << open.err;

  RunResult read = rig({"f"});
  ASSERT_EQ(read.exitCode, 0) << read.err;
  EXPECT_EQ(read.out, "7100000\n");  // the panel's start band, as the radio has it

  RunResult tune = rig({"F", "14250000", "f"});
  ASSERT_EQ(tune.exitCode, 0) << tune.err;
  EXPECT_EQ(tune.out, "14250000\n");
  EXPECT_EQ(station_->radioState().substr(0, 13), "FA014250000 F");
  auto log = station_->radioLog();
  EXPECT_NE(std::find(log.begin(), log.end(), "FA014250000;"), log.end());

  RunResult mode = rig({"M", "USB", "0", "m"});
  ASSERT_EQ(mode.exitCode, 0) << mode.err;
  EXPECT_EQ(firstLine(mode.out), "USB");
  EXPECT_NE(station_->radioState().find(" MD02 "), std::string::npos);

  // The panel kept polling its radio all the while, and logged the relay.
  EXPECT_GT(countOf(station_->radioLog(), "SM0;"), pollsBefore);
  auto debug = station_->debugLines();
  EXPECT_TRUE(std::any_of(debug.begin(), debug.end(),
                          [](const std::string& l) { return l.rfind("***VRX1=", 0) == 0; }));
  EXPECT_TRUE(std::any_of(debug.begin(), debug.end(),
                          [](const std::string& l) { return l.rfind("***VTX1=", 0) == 0; }));

  std::printf(
      "[ timing ] rigctl through the panel: open %.3f s; open + f %.3f s; open + F + f %.3f s; "
      "open + M + m %.3f s\n",
      open.seconds, read.seconds, tune.seconds, mode.seconds);
  std::printf("[ timing ] per command beyond the open: f %.3f s, F %.3f s, M %.3f s\n",
              read.seconds - open.seconds, tune.seconds - open.seconds,
              mode.seconds - open.seconds);
  EXPECT_EQ(station_->quit(), 0);
}

// While the panel speaks a reading, each of a logger's queries, settings
// among them, gets the answer to that query, and nothing the panel itself
// asked the radio for reaches the logger.
TEST_F(LoggerThroughPanel, EachQueryGetsItsOwnAnswerWhileThePanelSpeaks) {
  StationOptions options;
  options.logger = true;
  options.phraseMs = 300;
  ASSERT_NO_FATAL_FAILURE(start(options));
  LoggerPort logger(station_->loggerDevice());
  ASSERT_TRUE(logger.ok());
  const Mark m = mark();
  ASSERT_TRUE(station_->press("f"));
  ASSERT_TRUE(waitUntil([&] { return !said(m).empty(); }));
  const std::vector<std::pair<std::string, std::string>> script = {
      {"FA;", "FA007100000;"}, {"IF;", "IF"},        {"MD02;", ""}, {"MD0;", "MD02;"},
      {"FA;", "FA007100000;"}, {"FA014250000;", ""}, {"IF;", "IF"}, {"FA;", "FA014250000;"}};
  for (const auto& [query, answer] : script) {
    ASSERT_TRUE(logger.send(query));
    if (answer.empty()) continue;
    const std::string got = logger.answer(Millis(5000));
    EXPECT_TRUE(got.starts_with(answer) && got.size() > 3) << query << " got " << got;
  }
  // The panel's own polls go on meanwhile; none of their answers come here.
  std::this_thread::sleep_for(Millis(500));
  EXPECT_EQ(logger.drain(), "");
  // The trace follows each write: read once it has caught up.
  const int relayed = traceIndex(m, "WRITE 4 FA014250000;", true);
  ASSERT_TRUE(waitUntil([&] { return findRun(said(m), {"7", "point", "1", "mhz", "lsb"}) >= 0; }));
  EXPECT_GE(relayed, 0);
  EXPECT_LT(relayed, traceIndex(m, "SAY wave/lsb.wav"));
  EXPECT_EQ(station_->quit(), 0);
}

}  // namespace
}  // namespace e2e
