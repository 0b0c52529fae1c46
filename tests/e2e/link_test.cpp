// The built panel against radios and links that behave like real ones:
// eight-digit radios whatever their ID, links that add CR LF or echo each
// command, a radio that falls silent or whose device goes away and comes
// back; the simulated radio leaving the configured port alone; the set-up
// without a "delay" recording.
#include <algorithm>
#include <chrono>
#include <iostream>

#include <gtest/gtest.h>

#include "station.h"

namespace e2e {
namespace {

using std::chrono::steady_clock;

const std::string kConnected = "SAY wave/connected.wav";
const std::string kLost = "SAY wave/lost.wav";

class RadioLink : public ::testing::Test {
 protected:
  void start(StationOptions options) {
    station_ = std::make_unique<Station>(std::move(options));
    ASSERT_TRUE(station_->start()) << station_->error();
    ASSERT_TRUE(station_->waitForTrace(kConnected)) << "never connected";
  }

  void TearDown() override {
    if (HasFailure() && station_) std::cout << station_->report();
  }

  int count(const std::string& line) const { return countOf(station_->traceLines(), line); }

  // Waits until `line` is in the trace more than `before` times; the seconds
  // it took, or -1.
  double secondsUntil(const std::string& line, int before, Millis limit = kHangGuard) const {
    const auto start = steady_clock::now();
    if (!waitUntil([&] { return count(line) > before; }, limit)) return -1;
    return std::chrono::duration<double>(steady_clock::now() - start).count();
  }

  // F speaks the frequency the radio has: 7.1 MHz, the start band.
  void expectFSpeaksTheFrequency() {
    auto drawn = [&] {
      auto lines = station_->traceLines();
      return std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.starts_with("PRINT 285 150   7.100000");
      });
    };
    ASSERT_TRUE(waitUntil(drawn)) << "the frequency was never drawn";
    const int before = count("SAY wave/mhz.wav");
    ASSERT_TRUE(station_->press("f"));
    EXPECT_GE(secondsUntil("SAY wave/mhz.wav", before), 0) << "F spoke no frequency";
    const auto trace = station_->traceLines();
    auto key = std::find(trace.rbegin(), trace.rend(), "KEY 70").base();
    std::vector<std::string> heard;
    for (; key != trace.end() && heard.size() < 4; ++key) {
      if (key->starts_with("SAY wave/") && *key != "SAY wave/ .wav") heard.push_back(*key);
    }
    EXPECT_EQ(heard, (std::vector<std::string>{"SAY wave/7.wav", "SAY wave/point.wav",
                                               "SAY wave/1.wav", "SAY wave/mhz.wav"}));
  }

  // The radio falls silent and speaks again, then its device goes and comes
  // back: "lost" once each time, "connected" again within seconds. With
  // quitting, Q while lost ends the panel at once.
  void lossAndReturn(bool quitting = true) {
    ASSERT_NO_FATAL_FAILURE(expectFSpeaksTheFrequency());

    ASSERT_TRUE(station_->frontPanel("mute"));  // the radio switched off, cable in
    const double silentLost = secondsUntil(kLost, 0, Millis(3000));
    EXPECT_GE(silentLost, 0) << "no \"lost\" within 3 s of falling silent";
    ASSERT_TRUE(station_->press("f"));
    EXPECT_TRUE(waitUntil([&] { return count("SAY wave/nc.wav") > 0; }));
    ASSERT_TRUE(station_->frontPanel("unmute"));
    const double silentBack = secondsUntil(kConnected, 1, Millis(8000));
    EXPECT_GE(silentBack, 0) << "not connected again within 8 s";

    ASSERT_TRUE(station_->frontPanel("vanish"));  // the USB cable pulled
    const double goneLost = secondsUntil(kLost, 1, Millis(3000));
    EXPECT_GE(goneLost, 0) << "no \"lost\" within 3 s of the device going";
    ASSERT_TRUE(station_->frontPanel("return"));  // plugged in again, same link
    const double goneBack = secondsUntil(kConnected, 2, Millis(8000));
    EXPECT_GE(goneBack, 0) << "not connected again within 8 s";
    EXPECT_EQ(count(kLost), 2);  // once per loss
    ASSERT_NO_FATAL_FAILURE(expectFSpeaksTheFrequency());
    std::printf(
        "[ timing ] lost after falling silent %.2f s, back %.2f s; lost after the device "
        "went %.2f s, back %.2f s\n",
        silentLost, silentBack, goneLost, goneBack);

    if (!quitting) return;
    // Q while lost ends at once.
    ASSERT_TRUE(station_->frontPanel("mute"));
    ASSERT_GE(secondsUntil(kLost, 2, Millis(3000)), 0);
    EXPECT_EQ(station_->quit(), 0);
  }

  std::unique_ptr<Station> station_;
};

TEST_F(RadioLink, FSpeaksTheFrequencyOnEachRadioAndLink) {
  const std::vector<std::vector<std::string>> cases = {
      {"--id", "0583", "--digits", "8"},  // eight digits, an ID the panel does not list
      {"--id", "0251", "--digits", "8"},
      {"--suffix", "crlf"},
      {"--echo"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.front() + " " + args.back());
    StationOptions options;
    options.emulatorArgs = args;
    ASSERT_NO_FATAL_FAILURE(start(options));
    ASSERT_NO_FATAL_FAILURE(expectFSpeaksTheFrequency());
    // Every read is in debug.dat, the link's own bytes shown as they came.
    if (args[0] == "--suffix") {
      auto debug = station_->debugLines();
      EXPECT_TRUE(std::any_of(debug.begin(), debug.end(),
                              [](const std::string& l) { return l.ends_with(";\\x0D\\x0A"); }));
    }
    EXPECT_EQ(station_->quit(), 0);
  }
}

TEST_F(RadioLink, LostWhenSilentOrGoneAndConnectedAgainWhenBack) {
  ASSERT_NO_FATAL_FAILURE(start({}));
  lossAndReturn();
}

// The radio behind a serial-over-network server: the same loss and return,
// and the server itself going away and coming back.
TEST_F(RadioLink, OverTcpLostAndBackAsOnASerialPort) {
  StationOptions options;
  options.radioTcpPort = freeLoopbackPort();
  ASSERT_NO_FATAL_FAILURE(start(options));
  ASSERT_NO_FATAL_FAILURE(lossAndReturn(false));
  // The server going away and coming back is the TCP link's own loss.
  station_->stopRadioServer();
  const double serverLost = secondsUntil(kLost, 2, Millis(3000));
  EXPECT_GE(serverLost, 0) << "no \"lost\" within 3 s of the server going";
  ASSERT_TRUE(station_->startRadioServer()) << station_->error();
  const double serverBack = secondsUntil(kConnected, 3, Millis(8000));
  EXPECT_GE(serverBack, 0) << "not connected again within 8 s of the server's return";
  EXPECT_EQ(count(kLost), 3);
  ASSERT_NO_FATAL_FAILURE(expectFSpeaksTheFrequency());
  std::printf("[ timing ] lost after the server went %.2f s, back %.2f s\n", serverLost,
              serverBack);
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(RadioLink, ATuneCarrierIsReleasedFirstWhenTheRadioReturns) {
  ASSERT_NO_FATAL_FAILURE(start({}));  // Atu=1: T keys a carrier
  ASSERT_NO_FATAL_FAILURE(expectFSpeaksTheFrequency());
  ASSERT_TRUE(station_->press("t"));
  ASSERT_TRUE(waitUntil([&] { return station_->radioState().ends_with(" TX1"); }));
  ASSERT_TRUE(station_->frontPanel("vanish"));
  ASSERT_GE(secondsUntil(kLost, 0, Millis(3000)), 0);
  ASSERT_TRUE(station_->frontPanel("return"));  // the radio still keyed
  ASSERT_GE(secondsUntil(kConnected, 1, Millis(8000)), 0);
  const auto log = station_->radioLog();
  const auto keyed = std::find(log.rbegin(), log.rend(), "TX1;").base();
  const auto released = std::find(keyed, log.end(), "TX0;");
  const auto setUp = std::find(keyed, log.end(), "ID;");
  ASSERT_NE(released, log.end()) << "no TX0 after the radio came back";
  EXPECT_LT(released - log.begin(), setUp - log.begin()) << "the set-up came before TX0";
  // Only polls reached the radio before receive.
  EXPECT_TRUE(std::all_of(keyed, released, [](const std::string& c) {
    return c == "FA;" || c == "RM6;" || c == "SM0;" || c == "MD0;";
  }));
  const std::string radio = station_->radioState();
  EXPECT_TRUE(radio.ends_with(" TX0")) << radio;
  EXPECT_NE(radio.find(" MD01 "), std::string::npos) << radio;  // LSB back, not the tune's AM
  // The tune is over: keys act again.
  const int ton = count("SAY wave/ton.wav");
  ASSERT_NO_FATAL_FAILURE(expectFSpeaksTheFrequency());
  EXPECT_EQ(count("SAY wave/ton.wav"), ton);
  EXPECT_EQ(station_->quit(), 0);
}

// A radio reset while it was away gets the panel's frequency and mode back
// when it returns, and a mode changed at the radio is followed and spoken.
TEST_F(RadioLink, AReturningRadioGetsThePanelsStateAndItsOwnModeIsFollowed) {
  ASSERT_NO_FATAL_FAILURE(start({}));
  ASSERT_NO_FATAL_FAILURE(expectFSpeaksTheFrequency());
  ASSERT_TRUE(station_->press("m"));             // USB
  ASSERT_TRUE(station_->press("\x1b[A\x1b[A"));  // 7.102
  ASSERT_TRUE(waitUntil([&] {
    const std::string radio = station_->radioState();
    return radio.starts_with("FA007102000") && radio.find(" MD02 ") != std::string::npos;
  })) << station_->radioState();
  ASSERT_TRUE(station_->frontPanel("vanish"));
  ASSERT_GE(secondsUntil(kLost, 0, Millis(3000)), 0);
  for (const char* reset : {"FA014000000;", "MD01;", "return"}) {
    ASSERT_TRUE(station_->frontPanel(reset));
  }
  ASSERT_GE(secondsUntil(kConnected, 1, Millis(8000)), 0);
  EXPECT_TRUE(waitUntil([&] {
    const std::string radio = station_->radioState();
    return radio.starts_with("FA007102000") && radio.find(" MD02 ") != std::string::npos;
  })) << station_->radioState();

  // DATA-U chosen at the radio: spoken once as the nearest mode and "data".
  const int data = count("SAY wave/data.wav");
  ASSERT_TRUE(station_->frontPanel("MD0C;"));
  EXPECT_GE(secondsUntil("SAY wave/data.wav", data, Millis(3000)), 0);
  EXPECT_TRUE(waitUntil([&] { return station_->traceHas("PRINT 50 45 USB data"); }));
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(RadioLink, SimulationLeavesTheConfiguredPortAlone) {
  StationOptions options;
  options.panelArgs = {"--simulate"};
  ASSERT_NO_FATAL_FAILURE(start(options));
  ASSERT_NO_FATAL_FAILURE(expectFSpeaksTheFrequency());
  EXPECT_EQ(station_->quit(), 0);
  EXPECT_TRUE(station_->radioLog().empty()) << "the radio on COM3 received commands";
  // The simulated radio's exchange shows as a real one would.
  EXPECT_TRUE(station_->traceHas("WRITE 3 FA;"));
  EXPECT_TRUE(station_->traceHas("READ 3 FA007100000;"));
  auto debug = station_->debugLines();
  EXPECT_NE(std::find(debug.begin(), debug.end(), "TX=ID;"), debug.end());
  EXPECT_TRUE(std::any_of(debug.begin(), debug.end(),
                          [](const std::string& l) { return l.starts_with("RX=ID0670;"); }));
}

TEST_F(RadioLink, SetUpReadsEveryAnswerWithoutADelayRecording) {
  StationOptions options;
  options.delayRecording = false;
  ASSERT_NO_FATAL_FAILURE(start(options));
  auto log = station_->radioLog();
  // The ID was read (the shifts went to its menus) and so was the AF gain.
  EXPECT_NE(std::find(log.begin(), log.end(), "EX0800100;"), log.end());
  EXPECT_EQ(std::find(log.begin(), log.end(), "AG0080;"), log.end());
  auto debug = station_->debugLines();
  auto id = std::find(debug.begin(), debug.end(), "TX=ID;");
  ASSERT_NE(id, debug.end());
  ASSERT_NE(id + 1, debug.end());
  EXPECT_EQ(*(id + 1), "RX=ID0670;");
  EXPECT_EQ(station_->quit(), 0);
}

// The commands the radio received after the first `from`, without the polls.
std::vector<std::string> commandsAfter(const std::vector<std::string>& log, size_t from) {
  std::vector<std::string> out;
  for (size_t i = from; i < log.size(); ++i) {
    if (log[i] != "FA;" && log[i] != "FB;" && log[i] != "SM0;" && log[i] != "MD0;") {
      out.push_back(log[i]);
    }
  }
  return out;
}

TEST_F(RadioLink, ABandOrFrequencyTheModelLacksSendsNothing) {
  StationOptions options;
  options.model = "0362";  // eight digits, HF and 6 m only
  ASSERT_NO_FATAL_FAILURE(start(options));
  const size_t before = station_->radioLog().size();
  // B T: 2 m is not there; E 1 4 5 Enter: nor is 145 MHz.
  const int na = count("SAY wave/na.wav");
  ASSERT_TRUE(station_->press("bt"));
  ASSERT_TRUE(waitUntil([&] { return count("SAY wave/na.wav") > na; }));
  const int invalid = count("SAY wave/invalid.wav");
  ASSERT_TRUE(station_->press("e145\r"));
  ASSERT_TRUE(waitUntil([&] { return count("SAY wave/invalid.wav") > invalid; }));
  // Only the E key's re-send of the frequency the radio has reached it.
  EXPECT_EQ(commandsAfter(station_->radioLog(), before), (std::vector<std::string>{"FA07100000;"}));
  EXPECT_NE(station_->radioState().find("FA07100000 "), std::string::npos);
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(RadioLink, KeysRightAfterConnectedActAndAMeterNeverAnsweredIsNotRead) {
  StationOptions options;
  options.emulatorArgs = {"--no-meter"};
  ASSERT_NO_FATAL_FAILURE(start(options));
  // Typed the moment "connected" is heard: F speaks, and keeps speaking at
  // every press; S has no reading to give.
  const int mhz = count("SAY wave/mhz.wav");
  ASSERT_TRUE(station_->press("ffffs"));
  EXPECT_TRUE(waitUntil([&] { return count("SAY wave/na.wav") > 0; })) << "S was not \"na\"";
  EXPECT_EQ(count("SAY wave/mhz.wav"), mhz + 4);
  EXPECT_EQ(count("SAY wave/nc.wav"), 0);
  EXPECT_FALSE(station_->traceHas("SAY wave/s.wav"));
  EXPECT_EQ(station_->quit(), 0);
}

}  // namespace
}  // namespace e2e
