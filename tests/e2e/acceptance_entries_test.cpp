// Acceptance, second part: modes, tune, split, the repeater shift with a tone,
// U stepping, the radio menu, key speed, mic gain, and the close request.
#include "acceptance.h"

namespace e2e {
namespace {
namespace fs = std::filesystem;

// M steps LSB, USB, CW, AM and, below 10 m, back to LSB; each mode goes to the radio.
TEST_F(Acceptance, ModeCycle) {
  ASSERT_NO_FATAL_FAILURE(start());
  const std::vector<std::pair<std::string, std::string>> cycle = {
      {"MD02;", "usb"}, {"MD03;", "cw"}, {"MD05;", "am"}, {"MD01;", "lsb"}};
  for (const auto& [command, phrase] : cycle) {
    Mark m = mark();
    ASSERT_NO_FATAL_FAILURE(press({"m"}));
    expectSent(m, {command});
    expectSaid(m, {phrase});
    EXPECT_TRUE(radioShows(" MD0" + command.substr(3, 1) + " "));
  }
  EXPECT_EQ(station_->quit(), 0);
}

// T with the tuner off keys a 5 W AM carrier; only S and T act meanwhile; the
// second T releases it and puts power and mode back.
TEST_F(Acceptance, TuneCarrier) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"t"}));
  expectSaid(m, {"tune", "on"});
  expectSent(m, {"PC005;", "MD05;", "FA007100000;", "TX1;"});
  EXPECT_TRUE(radioShows(" MD05 "));
  EXPECT_TRUE(radioShows(" TX1"));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"f"}));
  EXPECT_EQ(saidForKey(m), Lines{"ton"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"t"}));
  expectSaid(m, {"tune", "off"});
  expectSent(m, {"TX0;", "PC100;", "MD01;"});
  EXPECT_TRUE(radioShows(" MD01 "));
  EXPECT_TRUE(radioShows(" TX0"));
  EXPECT_EQ(station_->quit(), 0);
}

// V: transmit on VFO B at the frequency of the moment; V again goes back.
TEST_F(Acceptance, SplitOnAndOff) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"v"}));
  expectSaid(m, {"split"});
  expectSent(m, {"FT3;", "FB007100000;"});
  EXPECT_TRUE(radioShows(" FB007100000 "));
  EXPECT_TRUE(radioShows(" FT1 "));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"v"}));
  expectSaid(m, {"split", "off"});
  expectSent(m, {"FT2;"});
  EXPECT_TRUE(radioShows(" FT0 "));
  EXPECT_EQ(station_->quit(), 0);
}

// 2 m FM: a CTCSS tone typed with I, the repeater shift with V, and X F
// reading the transmit frequency 600 kHz below.
TEST_F(Acceptance, RepeaterShiftWithToneOnTwoMetres) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(type("bt"));
  expectSentInOrder(m, {"MD0B;", "FA145000000;"});  // FM narrow
  EXPECT_TRUE(radioShows("FA145000000 "));
  ASSERT_TRUE(waitUntil([&] { return drawn("145.000000"); }));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("i12"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  expectSaid(m, {"ctcss", "on"});
  expectSent(m, {"CN00012;", "CT01;"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"v"}));
  expectSaid(m, {"repeater", "on"});
  expectSent(m, {"OS02;", "CT01;"});
  ASSERT_NO_FATAL_FAILURE(press({"x"}));
  for (int attempt = 0; attempt < 5; ++attempt) {
    m = mark();
    ASSERT_NO_FATAL_FAILURE(press({"f"}));
    if (!saidForKey(m).empty()) break;
  }
  EXPECT_EQ(saidForKey(m),
            (Lines{"repeater", "tx", "1", "4", "4", "point", "4", "mhz", "fm", "nar"}));
  EXPECT_EQ(station_->quit(), 0);
}

// U steps through the stored channels of the bank last recalled, past the empty slots.
TEST_F(Acceptance, UStepsThroughTheStoredChannels) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(type("cb32"));
  expectSaid(m, {"sch", "bank", "3", "channel", "2", "ok"});
  ASSERT_NO_FATAL_FAILURE(type("e14.225"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  ASSERT_TRUE(waitUntil([&] { return drawn(" 14.225000"); }));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("cb36"));
  expectSaid(m, {"sch", "bank", "3", "channel", "6", "ok"});
  auto listing = readLines(station_->work() / "memory.txt");
  EXPECT_EQ(countOf(listing, "Bank3"), 1) << printable(listing);
  EXPECT_TRUE(std::any_of(listing.begin(), listing.end(), [](const std::string& l) {
    return l.rfind("Slot 2 A=7.1  B=7.1  LSB", 0) == 0;
  })) << printable(listing);
  EXPECT_TRUE(std::any_of(listing.begin(), listing.end(), [](const std::string& l) {
    return l.rfind("Slot 6 A=14.225  B=14.225  USB", 0) == 0;
  })) << printable(listing);

  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("gb32"));
  expectSentInOrder(m, {"FT2;", "MD01;", "FA007100000;"});
  EXPECT_TRUE(radioShows("FA007100000 "));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("u"));
  expectSaid(m, {"channel", "6"});
  expectSentInOrder(m, {"FT2;", "MD02;", "FA014225000;"});
  EXPECT_TRUE(radioShows("FA014225000 "));
  // On round the bank, back to slot 2.
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("u"));
  expectSaid(m, {"channel", "2"});
  expectSentInOrder(m, {"FT2;", "MD01;", "FA007100000;"});
  EXPECT_TRUE(radioShows("FA007100000 "));
  EXPECT_EQ(station_->quit(), 0);
}

// N: a menu read aloud, written, and read again.
TEST_F(Acceptance, MenuReadAndWrite) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(type("n080"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter, kEnter}));
  expectSent(m, {"EX080;"});
  // The 10 m shift the set-up wrote, 100 kHz.
  EXPECT_EQ(said(m), (Lines{"mn", "0", "8", "0", "mp", "0", "1", "0", "0"}));

  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("n032"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  ASSERT_NO_FATAL_FAILURE(type("1"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  expectSent(m, {"EX0321;"});
  expectSaid(m, {"mp", "1", "ok"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("n032"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter, kEnter}));
  expectSent(m, {"EX032;"});
  EXPECT_EQ(said(m), (Lines{"mn", "0", "3", "2", "mp", "1"}));
  EXPECT_EQ(station_->quit(), 0);
}

// K: CW while the speed is set, the radio's speed read and stepped, the mode
// put back at the end.
TEST_F(Acceptance, KeySpeed) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"k"}));
  expectSentInOrder(m, {"MD03;", "KS;", "BI0;"});
  EXPECT_EQ(saidForKey(m).at(0), "ks");
  expectSaid(m, {"on", "2", "0"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({kUp}));
  expectSent(m, {"KS021;"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"k"}));
  expectSaid(m, {"ks", "off", "2", "1"});
  expectSent(m, {"MD01;"});
  EXPECT_TRUE(radioShows(" MD01 "));
  EXPECT_EQ(station_->quit(), 0);
}

// F11: the microphone gain read from the radio, ALC polled in its place of
// the S-meter, the gain stepped, and the readout ended by the next key.
TEST_F(Acceptance, MicGainWithTheAlcReadout) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_TRUE(station_->frontPanel("RM4100"));
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({kF11}));
  expectSent(m, {"MG;"});
  expectSaid(m, {"micgain", "lev"});
  ASSERT_TRUE(waitUntil([&] { return countOf(station_->radioLog(), "RM4;") > 0; }))
      << "the ALC meter is never polled";
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({kUp}));
  expectSent(m, {"MG051;"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"j"}));
  EXPECT_EQ(saidForKey(m).at(0), "micgain");
  EXPECT_EQ(saidForKey(m).back(), "off");
  // The S-meter is polled again, the ALC no more.
  m = mark();
  ASSERT_TRUE(waitUntil([&] {
    auto log = station_->radioLog();
    return countOf(Lines(log.begin() + static_cast<long>(m.radio), log.end()), "SM0;") > 1;
  }));
  auto log = station_->radioLog();
  EXPECT_EQ(countOf(Lines(log.begin() + static_cast<long>(m.radio), log.end()), "RM4;"), 0);
  EXPECT_EQ(station_->quit(), 0);
}

// The close request (Ctrl-C at the terminal) while transmitting: unkeyed, status 0.
TEST_F(Acceptance, CloseRequestWhileTransmittingUnkeys) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_NO_FATAL_FAILURE(press({" "}));
  ASSERT_TRUE(radioShows(" TX1"));
  Mark m = mark();
  ASSERT_TRUE(station_->press("\x03"));
  EXPECT_EQ(station_->stopPanel(0), 0);
  auto after = sent(m);
  EXPECT_NE(std::find(after.begin(), after.end(), "TX0;"), after.end()) << printable(after);
  EXPECT_TRUE(radioShows(" TX0"));
}

}  // namespace
}  // namespace e2e
