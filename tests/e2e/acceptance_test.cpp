// Acceptance, first part: the keyboard's own keys (F3, power, transmit, the
// function keys), a stored channel across a restart, the frequency readout, a
// typed frequency, the band keys and the level stepping.
#include <signal.h>

#include "acceptance.h"

namespace e2e {
namespace {
namespace fs = std::filesystem;

// F3: the noise blanker goes on, spoken before it is sent, then its level is read.
TEST_F(Acceptance, NoiseBlankerOnF3) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({kF3}));
  expectSaid(m, {"nb", "on"});
  expectSent(m, {"NB01;", "NL0;"});
  EXPECT_EQ(station_->quit(), 0);
}

// P then Down: one power step below the configured 100 W.
TEST_F(Acceptance, PowerStepsDown) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"p", kDown}));
  expectSent(m, {"PC090;"});
  EXPECT_EQ(saidForKey(m).at(0), "Power");
  EXPECT_EQ(station_->quit(), 0);
}

// Space keys the transmitter and space again releases it.
TEST_F(Acceptance, SpaceKeysAndUnkeys) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({" "}));
  expectSent(m, {"TX1;"});
  expectSaid(m, {"tx", "on"});
  EXPECT_TRUE(radioShows(" TX1"));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({" "}));
  expectSent(m, {"TX0;"});
  expectSaid(m, {"tx", "off"});
  EXPECT_TRUE(radioShows(" TX0"));
  EXPECT_EQ(station_->quit(), 0);
}

// SIGTERM while the transmitter is keyed: the radio is unkeyed on the way out.
TEST_F(Acceptance, TerminationWhileTransmittingUnkeys) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_NO_FATAL_FAILURE(press({" "}));
  ASSERT_TRUE(radioShows(" TX1"));
  Mark m = mark();
  EXPECT_EQ(station_->stopPanel(SIGTERM), 0);
  auto after = sent(m);
  EXPECT_NE(std::find(after.begin(), after.end(), "TX0;"), after.end()) << printable(after);
  EXPECT_TRUE(radioShows(" TX0"));
  EXPECT_TRUE(fs::exists(station_->work() / "savmem.dat"));
}

// The channel survives the program: stored, Q, the program started again, recalled.
TEST_F(Acceptance, ChannelStoredBeforeQuitIsRecalledAfterRestart) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(type("e14.225"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  expectSent(m, {"FA014225000;"});
  ASSERT_TRUE(waitUntil([&] { return drawn(" 14.225000"); }));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("m"));  // USB on 20 m, so CW next
  expectSent(m, {"MD03;"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("cb37"));
  expectSaid(m, {"sch", "bank", "3", "channel", "7", "ok"});
  std::string saved = readFile(station_->work() / "savmem.dat");
  EXPECT_NE(saved.find("A014225000B014225000999"), std::string::npos) << saved;
  auto listing = readLines(station_->work() / "memory.txt");
  auto bank = std::find(listing.begin(), listing.end(), "Bank3");
  ASSERT_NE(bank, listing.end()) << printable(listing);
  ASSERT_NE(bank + 1, listing.end());
  EXPECT_EQ((bank + 1)->rfind("Slot 7 A=14.225  B=14.225  CW", 0), 0u) << *(bank + 1);
  ASSERT_EQ(station_->quit(), 0);

  ASSERT_TRUE(station_->restartPanel()) << station_->error();
  ASSERT_NO_FATAL_FAILURE(waitConnected());
  // Somewhere else first, so the recall has to move the radio.
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("e7"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  expectSent(m, {"FA007000000;"});
  ASSERT_TRUE(waitUntil([&] { return drawn("  7.000000"); }));
  m = mark();
  ASSERT_NO_FATAL_FAILURE(type("gb37"));
  expectSaid(m, {"gch", "bank", "3", "channel", "7"});
  expectSentInOrder(m, {"FT2;", "MD03;", "FA014225000;"});
  EXPECT_TRUE(radioShows("FA014225000 "));
  EXPECT_TRUE(radioShows(" MD03 "));
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(Acceptance, FrequencyReadoutAndATypedFrequency) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_NO_FATAL_FAILURE(readFrequency({"7", "point", "1", "mhz", "lsb"}));
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(type("e14.225"));
  ASSERT_NO_FATAL_FAILURE(press({kEnter}));
  expectSaid(m, {"EF", "1", "4", "point", "2", "2", "5"});
  expectSent(m, {"FA014225000;"});
  EXPECT_TRUE(radioShows("FA014225000 "));
  // debug.dat: each key as typed, and the frequency sent for Enter after its line.
  auto debug = station_->debugLines();
  Lines keyLines;
  std::copy_if(debug.begin(), debug.end(), std::back_inserter(keyLines),
               [](const std::string& l) { return l.rfind("*", 0) == 0; });
  EXPECT_GE(findRun(keyLines, {"*E", "*1", "*4", "*.", "*2", "*2", "*5", "*C/R"}), 0)
      << printable(keyLines);
  auto enter = std::find(debug.begin(), debug.end(), "*C/R");
  EXPECT_NE(std::find(enter, debug.end(), "TX=FA014225000;"), debug.end());
  // The new frequency is read once the radio has reported it.
  ASSERT_TRUE(waitUntil([&] { return drawn(" 14.225000"); }));
  ASSERT_NO_FATAL_FAILURE(readFrequency({"1", "4", "point", "2", "2", "5", "mhz", "usb"}));
  EXPECT_EQ(station_->quit(), 0);
}

// B and a band number or letter: each band from its record, mode and frequency
// at the radio. 6 is 20 m, X 6 m, T 2 m (FM narrow), U general coverage (AM).
TEST_F(Acceptance, BandKeys) {
  ASSERT_NO_FATAL_FAILURE(start());
  struct Band {
    std::string_view keys;
    std::string mode;
    std::string frequency;
    std::string_view display;
  };
  const Band bands[] = {{"b6", "MD02;", "FA014200000;", " 14.200000"},
                        {"bx", "MD02;", "FA050150000;", " 50.150000"},
                        {"bt", "MD0B;", "FA145000000;", "145.000000"},
                        {"bu", "MD05;", "FA009670000;", "  9.670000"}};
  for (const Band& band : bands) {
    SCOPED_TRACE(band.keys);
    Mark m = mark();
    ASSERT_NO_FATAL_FAILURE(type(band.keys));
    expectSentInOrder(m, {band.mode, band.frequency});
    EXPECT_TRUE(radioShows(band.frequency.substr(0, 11) + " "));
    EXPECT_TRUE(radioShows(" " + band.mode.substr(0, 4) + " "));
    EXPECT_TRUE(waitUntil([&] { return drawn(band.display); }));
  }
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(Acceptance, PowerAfAndRfStepToTheirLimits) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"p", kUp}));
  expectSent(m, {"PC100;"});
  expectSaid(m, {"max"});
  m = mark();
  for (int i = 0; i < 11; ++i) ASSERT_NO_FATAL_FAILURE(press({kDown}));
  expectSent(m, {"PC090;", "PC080;", "PC070;", "PC060;", "PC050;", "PC040;", "PC030;", "PC020;",
                 "PC010;", "PC005;"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({kDown}));
  expectSent(m, {"PC005;"});
  expectSaid(m, {"min"});

  // AF gain from the radio's 60 up to the top.
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"a", kUp}));
  expectSaid(m, {"af"});
  expectSent(m, {"AG0070;"});
  m = mark();
  for (int i = 0; i < 19; ++i) ASSERT_NO_FATAL_FAILURE(press({kUp}));
  expectSent(m, {"AG0240;", "AG0250;", "AG0250;"});
  expectSaid(m, {"max"});

  // RF gain starts at the top.
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"r", kUp}));
  expectSent(m, {"RG0250;"});
  expectSaid(m, {"rf", "max"});
  m = mark();
  ASSERT_NO_FATAL_FAILURE(press({kDown}));
  expectSent(m, {"RG0240;"});
  EXPECT_EQ(station_->quit(), 0);
}

TEST_F(Acceptance, WidthStepsToItsLimitsInSsb) {
  ASSERT_NO_FATAL_FAILURE(start());
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"w"}));
  m = mark();
  for (int i = 0; i < 8; ++i) ASSERT_NO_FATAL_FAILURE(press({kUp}));
  expectSent(m, {"SH020;", "FA007100000;", "SH021;", "FA007100000;", "SH021;"});
  expectSaid(m, {"max"});
  m = mark();
  for (int i = 0; i < 13; ++i) ASSERT_NO_FATAL_FAILURE(press({kDown}));
  expectSent(m, {"SH010;", "FA007100000;", "SH009;", "FA007100000;", "SH009;"});
  expectSaid(m, {"min"});
  EXPECT_EQ(station_->quit(), 0);
}

// Every function key in LSB on 40 m: its name, "on", and its command at the
// radio; a second press turns it off again.
TEST_F(Acceptance, FunctionKeys) {
  ASSERT_NO_FATAL_FAILURE(start());
  struct Row {
    std::string_view key;
    Lines said;
    Lines sent;
    Lines saidAgain;
    Lines sentAgain;
  };
  const Row rows[] = {
      {"\x1bOP", {"preamp", "on"}, {"PA01;"}, {"preamp", "off"}, {"PA00;"}},
      {"\x1bOQ", {"at", "on"}, {"RA01;"}, {"at", "off"}, {"RA00;"}},
      {"\x1bOS", {"nr", "on"}, {"NR01;", "RL0;"}, {"nr", "off"}, {"NR00;"}},
      {"\x1b[15~", {"notch", "on"}, {"BC01;"}, {"notch", "off"}, {"BC00;"}},
      {"\x1b[18~", {"spc", "on"}, {"PR01;"}, {"spc", "off"}, {"PR00;"}},
      {"\x1b[19~", {"vox", "on"}, {"VX1;"}, {"vox", "off"}, {"VX0;"}},
      {"\x1b[20~", {"mon", "on"}, {"ML0001;"}, {"mon", "off"}, {"ML0000;"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(printable(row.said));
    Mark m = mark();
    ASSERT_NO_FATAL_FAILURE(press({row.key}));
    expectSaid(m, row.said);
    expectSentInOrder(m, row.sent);
    m = mark();
    ASSERT_NO_FATAL_FAILURE(press({row.key}));
    expectSaid(m, row.saidAgain);
    expectSentInOrder(m, row.sentAgain);
  }
  // F12 steps the tuner setting: on, both, off.
  Mark m = mark();
  ASSERT_NO_FATAL_FAILURE(press({"\x1b[24~"}));
  expectSaid(m, {"tuner", "on"});
  expectSent(m, {"AC001;"});
  EXPECT_EQ(station_->quit(), 0);
}

}  // namespace
}  // namespace e2e
