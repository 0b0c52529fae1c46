#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/trace.h"
#include "speech/player.h"
#include "speech/readouts.h"
#include "support/scenario.h"

namespace keldar {
namespace {

using testing::Scenario;
using Row = std::vector<std::string>;

// ---- The player ----------------------------------------------------------

TEST(PhrasePlayer, NamesBecomeFilesOfTheWaveFolder) {
  EXPECT_EQ(phrasePath("wave\\", "on"), "wave/on.wav");
  EXPECT_EQ(phrasePath("wave\\", "9"), "wave/9.wav");
  EXPECT_EQ(phrasePath("wave\\", "9.wav"), "wave/9.wav");
  EXPECT_EQ(phrasePath("wave\\", "c4fm.wav"), "wave/c4fm.wav");
  EXPECT_EQ(phrasePath("wave\\", "SWR"), "wave/SWR.wav");
  EXPECT_EQ(phrasePath("xx", "9.wav"), "xx9.wav");
  EXPECT_EQ(phrasePath("xx", "delay"), "xxdelay.wav");
  // The extension is looked for in the last component only.
  EXPECT_EQ(phrasePath("my.voice\\", "on"), "my.voice/on.wav");
  EXPECT_EQ(phrasePath("wave\\", ""), "wave/");
}

// Saying never waits: the phrases queue, the device gets one ahead of the
// one sounding (so they join), and each SAY line is written as its phrase
// begins to sound, in order.
TEST(PhrasePlayer, QueuesEachNameInOrderAndNeverWaits) {
  Scenario sc;
  std::ostringstream out;
  Trace trace(out, sc.clock);
  sc.panel.trace = &trace;
  sc.sound.holding = true;
  for (const char* name : {"9", "9.wav", "Power", "on"}) playPhrase(sc.panel, name);
  EXPECT_EQ(sc.takeSoundPaths(), (Row{"wave/9.wav", "wave/9.wav", "wave/Power.wav"}));
  EXPECT_EQ(out.str(), "0 SAY wave/9.wav\n");
  EXPECT_FALSE(speechDone(sc.panel));
  sc.sound.finish();
  serviceSpeech(sc.panel);
  EXPECT_EQ(sc.takeSoundPaths(), (Row{"wave/on.wav"}));
  EXPECT_EQ(out.str(), "0 SAY wave/9.wav\n0 SAY wave/9.wav\n");
  sc.sound.finish(3);
  EXPECT_TRUE(speechDone(sc.panel));
  EXPECT_EQ(out.str(),
            "0 SAY wave/9.wav\n0 SAY wave/9.wav\n0 SAY wave/Power.wav\n0 SAY wave/on.wav\n");
}

// A readout still waiting entirely gives way to a newer one of the same
// kind; one already begun is heard to its end; other speech is never dropped.
TEST(PhrasePlayer, ANewerReadoutReplacesOneStillWaiting) {
  Scenario sc;
  sc.sound.holding = true;
  const auto readout = [&sc](const char* first, const char* second) {
    Readout group(sc.panel, "frequency");
    playPhrase(sc.panel, first);
    playPhrase(sc.panel, second);
  };
  readout("1", "2");
  readout("3", "4");
  playPhrase(sc.panel, "ok");
  readout("5", "6");
  readout("7", "8");
  for (int i = 0; i < 20; ++i) {
    sc.sound.finish();
    serviceSpeech(sc.panel);
  }
  EXPECT_EQ(sc.takePhrases(), (Row{"1", "2", "3", "4", "ok", "7", "8"}));
}

TEST(PhrasePlayer, TraceShowsThePathOfEachRequest) {
  Scenario sc;
  std::ostringstream out;
  Trace trace(out, sc.clock);
  sc.panel.trace = &trace;
  for (const char* name : {"keldar.wav", "3.wav", "point", "3", "sim"}) playPhrase(sc.panel, name);
  EXPECT_EQ(out.str(),
            "0 SAY wave/keldar.wav\n0 SAY wave/3.wav\n0 SAY wave/point.wav\n0 SAY wave/3.wav\n"
            "0 SAY wave/sim.wav\n");
  EXPECT_EQ(sc.takePhrases(), (Row{"keldar", "3", "point", "3", "sim"}));
}

// The blanks and signs of a reading have no recording by construction:
// they are neither played nor traced as said.
TEST(PhrasePlayer, NamesWithoutRecordingNeverReachTheSound) {
  Scenario sc;
  std::ostringstream out;
  Trace trace(out, sc.clock);
  sc.panel.trace = &trace;
  for (const char* name : {"", " ", "a", "K", ".", "-", "+", "/", "\\", " 5", "..\\x", "\t"}) {
    playPhrase(sc.panel, name);
  }
  EXPECT_TRUE(sc.sound.plays.empty());
  EXPECT_EQ(out.str(), "");
}

TEST(PhrasePlayer, SilentPrefixKeepsNamesButFindsNoRecording) {
  Scenario sc;
  std::ostringstream out;
  Trace trace(out, sc.clock);
  sc.panel.trace = &trace;
  sc.state().phraseDir = "xx";
  playPhrase(sc.panel, "9.wav");
  playPhrase(sc.panel, "delay");
  EXPECT_EQ(sc.takePhrases(), Row{});
  EXPECT_EQ(sc.takeSoundPaths(), (Row{"xx9.wav", "xxdelay.wav"}));
  EXPECT_EQ(out.str(), "0 SAY xx9.wav\n0 SAY xxdelay.wav\n");
}

// The help is cut short by the next phrase, and what it had not begun of
// the queue is never heard; other phrases are never cut.
TEST(PhrasePlayer, HelpIsCutShortByTheNextPhrase) {
  Scenario sc;
  sc.sound.holding = true;
  playPhrase(sc.panel, "on");
  playPhrase(sc.panel, "help");
  EXPECT_EQ(sc.sound.stops, 0);
  playPhrase(sc.panel, "off");
  EXPECT_EQ(sc.sound.stops, 1);
  EXPECT_TRUE(speechDone(sc.panel) == false);
  sc.sound.finish(5);
  EXPECT_TRUE(speechDone(sc.panel));
  EXPECT_EQ(sc.takePhrases(), (Row{"on", "help", "off"}));
}

// The working directory's recordings win file by file; the rest come from
// the folders installed with the program, in order; a phrase found nowhere
// is asked for where it would be, and the trace names the file used.
TEST(PhrasePlayer, LooksInTheWorkingDirectoryThenEachInstalledFolder) {
  Scenario sc;
  testing::TempDir beside, installed;
  std::filesystem::create_directories(beside.path() + "/wave");
  std::filesystem::create_directories(installed.path() + "/share/keldar/wave");
  std::filesystem::create_directory(installed.path() + "/bin");
  const auto folders = phraseFoldersBeside(installed.path() + "/bin");
  // In the platform's own separators (backslashes on Windows).
  const auto normal = [](const std::string& p) {
    return std::filesystem::path(p).lexically_normal().string();
  };
  ASSERT_EQ(folders, (Row{normal(installed.path() + "/bin/wave"),
                          normal(installed.path() + "/share/keldar/wave")}));
  sc.panel.phraseFolders = {beside.path() + "/wave", folders[1]};
  std::filesystem::create_directory(sc.path("wave"));
  sc.writeFile("wave/on.wav", "mine");
  std::ofstream(beside.path() + "/wave/on.wav") << "beside";
  std::ofstream(beside.path() + "/wave/off.wav") << "beside";
  std::ofstream(folders[1] + "/off.wav") << "installed";
  std::ofstream(folders[1] + "/9.wav") << "installed";
  std::ofstream(folders[1] + "/help.wav") << "installed";
  std::ostringstream out;
  Trace trace(out, sc.clock);
  sc.panel.trace = &trace;
  for (const char* name : {"on", "off", "9.wav", "mhz", "help"}) playPhrase(sc.panel, name);
  sc.state().phraseDir = "xx";
  playPhrase(sc.panel, "9");  // the silent prefix is never looked up elsewhere
  EXPECT_EQ(sc.takeSoundPaths(),
            (Row{"wave/on.wav", beside.path() + "/wave/off.wav", folders[1] + "/9.wav",
                 "wave/mhz.wav", folders[1] + "/help.wav", "xx9.wav"}));
  const auto said = [](const std::string& p) { return "0 SAY " + Trace::escape(p) + "\n"; };
  EXPECT_EQ(out.str(), said("wave/on.wav") + said(beside.path() + "/wave/off.wav") +
                           said(folders[1] + "/9.wav") + said("wave/mhz.wav") +
                           said(folders[1] + "/help.wav") + said("xx9.wav"));
  EXPECT_TRUE(phraseFoldersBeside("").empty());
}

// Whatever was drawn before a phrase is on the screen while it plays.
TEST(PhrasePlayer, PutsTheDrawingOnTheScreenBeforeEachPhrase) {
  struct Watch : Sound {
    explicit Watch(testing::FakeFrontEnd& s) : screen(s) {}
    void queueFile(const std::string&) override {
      const bool shown = !screen.flushes.empty() && screen.flushes.back() == screen.prints.size();
      shownAtEachPlay.push_back(shown);
    }
    void stop() override {}
    uint64_t startedCount() override { return shownAtEachPlay.size(); }
    int unfinishedCount() override { return 0; }
    testing::FakeFrontEnd& screen;
    std::vector<bool> shownAtEachPlay;
  };
  Scenario sc;
  Watch sound(sc.screen);
  Panel panel(sc.serial, sound, sc.screen, sc.clock, sc.files);
  panel.workDir = sc.dir.path();
  panel.screen.moveTextPosition(50, 45);
  panel.screen.printText("USB    ");
  playPhrase(panel, "usb.wav");
  playPhrase(panel, "a");  // no recording: nothing to wait for, nothing shown
  panel.screen.printText("14.250.00");
  playPhrase(panel, "1");
  playPhrase(panel, "4");
  EXPECT_EQ(sound.shownAtEachPlay, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(sc.screen.flushes, (std::vector<std::size_t>{1, 2, 2}));
}

// ---- Frequency -------------------------------------------------------------

Row frequencyRow(Scenario& sc, const char* display) {
  sc.state().frequencyDisplay = display;
  speakFrequency(sc.panel);
  return sc.takePhrases();
}

TEST(SpeakFrequency, DecimalsUpToTheLastNonZeroDigit) {
  Scenario sc;
  EXPECT_EQ(frequencyRow(sc, "14.074000"), (Row{"1", "4", "point", "0", "7", "4", "mhz"}));
  EXPECT_EQ(frequencyRow(sc, "145.500000"), (Row{"1", "4", "5", "point", "5", "mhz"}));
  EXPECT_EQ(frequencyRow(sc, "7.100000"), (Row{"7", "point", "1", "mhz"}));
  EXPECT_EQ(frequencyRow(sc, "28.000000"), (Row{"2", "8", "mhz"}));
  EXPECT_EQ(frequencyRow(sc, "7.000000"), (Row{"7", "mhz"}));
  EXPECT_EQ(frequencyRow(sc, "3.500010"), (Row{"3", "point", "5", "0", "0", "0", "1", "mhz"}));
  EXPECT_EQ(frequencyRow(sc, "10.123456"),
            (Row{"1", "0", "point", "1", "2", "3", "4", "5", "6", "mhz"}));
  // Decimals stop at the eleventh character of the text.
  EXPECT_EQ(frequencyRow(sc, "1296.1234567"),
            (Row{"1", "2", "9", "6", "point", "1", "2", "3", "4", "5", "6", "mhz"}));
}

TEST(SpeakFrequency, LeadingBlanksAreNotHeard) {
  Scenario sc;
  const Row plain = frequencyRow(sc, "14.250000");
  EXPECT_EQ(plain, (Row{"1", "4", "point", "2", "5", "mhz"}));
  EXPECT_EQ(frequencyRow(sc, " 14.250000"), plain);
  EXPECT_EQ(frequencyRow(sc, "  7.050000"), (Row{"7", "point", "0", "5", "mhz"}));
  // Nor asked for: a blank names no recording.
  const Row paths = sc.takeSoundPaths();
  EXPECT_EQ(std::count(paths.begin(), paths.end(), "wave/ .wav"), 0);
}

TEST(SpeakFrequency, NothingYetIsNotConnected) {
  Scenario sc;
  sc.state().vfoB = 1;
  EXPECT_EQ(frequencyRow(sc, ""), Row{"nc"});
}

TEST(SpeakFrequency, VfoRepeaterAndTransmitWords) {
  struct Case {
    int vfoB, repeater, tx;
    Row head;
  };
  const Case cases[] = {
      {0, 0, 0, {}},     {0, 1, 0, {"repeater"}}, {0, 1, 1, {"repeater", "tx"}},
      {1, 1, 1, {"tx"}}, {1, 1, 0, {}},           {1, 0, 0, {"vfob"}},
      {1, 0, 1, {}},     {0, 0, 1, {}},
  };
  for (const Case& c : cases) {
    Scenario sc;
    sc.state().vfoB = c.vfoB;
    sc.state().repeaterMode = c.repeater;
    sc.state().speakingTxFrequency = c.tx;
    Row expected = c.head;
    for (const char* p : {"1", "4", "5", "point", "6", "mhz"}) expected.push_back(p);
    EXPECT_EQ(frequencyRow(sc, "145.600000"), expected)
        << "vfoB " << c.vfoB << " repeater " << c.repeater << " tx " << c.tx;
  }
}

TEST(SpeakFrequency, MalformedTextPlaysNothingWrong) {
  Scenario sc;
  // A letter has no recording; the digits around it are still spoken.
  EXPECT_EQ(frequencyRow(sc, "1A.500000"), (Row{"1", "point", "5", "mhz"}));
  // Without a point the whole text is read as decimals.
  EXPECT_EQ(frequencyRow(sc, "14"), (Row{"point", "1", "4", "mhz"}));
}

// ---- Mode, bandwidth, power, band --------------------------------------

TEST(SpeakMode, EveryMode) {
  const Row expected[] = {{},       {"lsb"}, {"usb"}, {"cw"}, {"am"}, {"fm", "nar"},
                          {"c4fm"}, {"fm"},  {}};
  for (int mode = 0; mode <= 8; ++mode) {
    Scenario sc;
    sc.state().modeIndex = mode;
    speakMode(sc.panel);
    EXPECT_EQ(sc.takePhrases(), expected[mode]) << "mode " << mode;
  }
  Scenario sc;
  sc.state().modeIndex = 5;
  speakMode(sc.panel);
  EXPECT_EQ(sc.takeSoundPaths(), (Row{"wave/fm.wav", "wave/nar.wav"}));
}

Row widthRow(int mode, int width) {
  Scenario sc;
  sc.state().modeIndex = mode;
  sc.state().widthIndex = width;
  speakBandwidth(sc.panel);
  return sc.takePhrases();
}

TEST(SpeakBandwidth, SsbWidthsInKilohertz) {
  const char* tenths[] = {"8", "9", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "1"};
  for (int w = 9; w <= 21; ++w) {
    const char* whole = w < 11 ? "1" : (w <= 19 ? "2" : "3");
    EXPECT_EQ(widthRow(2, w), (Row{"bw", whole, "point", tenths[w - 9], "khz"})) << w;
  }
  EXPECT_EQ(widthRow(1, 21), (Row{"bw", "3", "point", "1", "khz"}));
  // Out of range: no tenths.
  EXPECT_EQ(widthRow(1, 8), (Row{"bw", "1", "point", "khz"}));
  EXPECT_EQ(widthRow(2, 22), (Row{"bw", "3", "point", "khz"}));
}

TEST(SpeakBandwidth, OtherModesInHertz) {
  EXPECT_EQ(widthRow(3, 1), (Row{"bw", "5", "0", "hz"}));
  EXPECT_EQ(widthRow(3, 2), (Row{"bw", "1", "0", "0", "hz"}));
  EXPECT_EQ(widthRow(3, 7), (Row{"bw", "3", "5", "0", "hz"}));
  EXPECT_EQ(widthRow(3, 10), (Row{"bw", "5", "0", "0", "hz"}));
  EXPECT_EQ(widthRow(3, 11), (Row{"bw", "8", "0", "0", "hz"}));
  EXPECT_EQ(widthRow(3, 12), (Row{"bw", "1", "2", "0", "0", "hz"}));
  EXPECT_EQ(widthRow(3, 0), (Row{"bw", "0", "0", "hz"}));
  // A width carried over into AM or FM is read the same way; 20 is "10".
  EXPECT_EQ(widthRow(4, 20), (Row{"bw", "10", "0", "0", "hz"}));
  EXPECT_EQ(widthRow(7, 21), (Row{"bw", "10", "5", "0", "hz"}));
}

TEST(SpeakPower, DigitsThenWatts) {
  const std::pair<int, Row> cases[] = {
      {5, {"5", "watts"}}, {50, {"5", "0", "watts"}},       {100, {"1", "0", "0", "watts"}},
      {0, {"0", "watts"}}, {200, {"2", "0", "0", "watts"}},
  };
  for (const auto& [power, row] : cases) {
    Scenario sc;
    sc.state().powerLevel = power;
    speakPower(sc.panel);
    EXPECT_EQ(sc.takePhrases(), row) << power;
  }
}

TEST(SpeakBand, EveryBand) {
  const char* names[] = {"160", "80", "60", "40", "30", "20", "17",
                         "15",  "12", "10", "6",  "2",  "70"};
  for (int band = 1; band <= 13; ++band) {
    Scenario sc;
    sc.state().bandIndex = band;
    speakBand(sc.panel);
    EXPECT_EQ(sc.takePhrases(), (Row{names[band - 1], "metres"})) << band;
  }
  Scenario sc;
  sc.state().bandIndex = 14;
  speakBand(sc.panel);
  EXPECT_EQ(sc.takePhrases(), Row{"un"});
  // Outside the table: silence, not a lone "metres".
  for (int band : {15, 0, -1}) {
    sc.state().bandIndex = band;
    speakBand(sc.panel);
    EXPECT_EQ(sc.takePhrases(), Row{}) << band;
  }
}

// ---- Meters ----------------------------------------------------------------

TEST(SpeakSMeter, ThresholdsPhrasesAndField) {
  struct Case {
    int reading;
    Row phrases;
    const char* field;
  };
  const Case cases[] = {
      {0, {"s", "0"}, "S0  "},          {10, {"s", "0"}, "S0  "},         {11, {"s", "1"}, "S1  "},
      {20, {"s", "1"}, "S1  "},         {21, {"s", "2"}, "S2  "},         {41, {"s", "3"}, "S3  "},
      {55, {"s", "4"}, "S4  "},         {69, {"s", "5"}, "S5  "},         {83, {"s", "6"}, "S6  "},
      {97, {"s", "7"}, "S7  "},         {108, {"s", "7"}, "S7  "},        {109, {"s", "8"}, "S8  "},
      {122, {"s", "8"}, "S8  "},        {123, {"s", "9"}, "S9  "},        {156, {"s", "9"}, "S9  "},
      {157, {"s", "9", "plus"}, "S9+"}, {255, {"s", "9", "plus"}, "S9+"},
  };
  for (const Case& c : cases) {
    Scenario sc;
    sc.state().sMeterAnswered = 1;
    sc.state().sMeterReading = c.reading;
    speakSMeter(sc.panel);
    EXPECT_EQ(sc.takePhrases(), c.phrases) << c.reading;
    EXPECT_EQ(sc.field(750, 45), c.field) << c.reading;
  }
}

TEST(SpeakSMeter, BlanksWipeAnEarlierPlus) {
  Scenario sc;
  sc.state().sMeterAnswered = 1;
  sc.state().sMeterReading = 200;
  speakSMeter(sc.panel);
  EXPECT_EQ(sc.field(750, 45), "S9+");
  sc.state().sMeterReading = 130;
  speakSMeter(sc.panel);
  EXPECT_EQ(sc.field(750, 45), "S9  ");
  sc.state().sMeterReading = 200;
  speakSMeter(sc.panel);
  sc.state().sMeterReading = 110;
  speakSMeter(sc.panel);
  EXPECT_EQ(sc.field(750, 45), "S8  ");
  EXPECT_EQ(sc.takeSoundPaths(),
            (Row{"wave/s.wav", "wave/9.wav", "wave/plus.wav", "wave/s.wav", "wave/9.wav",
                 "wave/s.wav", "wave/9.wav", "wave/plus.wav", "wave/s.wav", "wave/8.wav"}));
}

TEST(SpeakSMeter, NeverAnsweredIsNotAvailableAndShowsNoValue) {
  Scenario sc;
  speakSMeter(sc.panel);
  EXPECT_EQ(sc.takePhrases(), Row{"na"});
  EXPECT_EQ(sc.field(750, 45), "    ");
  // Nor is an SWR meter the radio never answered while transmitting.
  sc.state().txState = 10;
  speakSwr(sc.panel);
  EXPECT_EQ(sc.takePhrases(), Row{"na"});
}

TEST(SpeakSMeter, SilentRefreshDrawsWithoutASound) {
  Scenario sc;
  sc.state().sMeterAnswered = 1;
  sc.state().sMeterReading = 160;
  refreshSMeterSilently(sc.panel);
  EXPECT_EQ(sc.field(750, 45), "S9+");
  EXPECT_EQ(sc.takePhrases(), Row{});
  EXPECT_EQ(sc.takeSoundPaths(), (Row{"xxs.wav", "xx9.wav", "xxplus.wav"}));
  EXPECT_EQ(sc.state().phraseDir, "wave\\");
}

Row swrRow(Scenario& sc, const char* text) {
  sc.state().swrText = text;
  speakSwr(sc.panel);
  return sc.takePhrases();
}

TEST(SpeakSwr, ReadingsToOneDecimal) {
  Scenario sc;
  sc.state().tunerSetting = 1;
  sc.state().swrOnTx = 2;
  const std::pair<const char*, Row> cases[] = {
      {"000", {"1", "point", "0"}}, {"049", {"1", "point", "0"}},   {"056", {"1", "point", "0"}},
      {"057", {"1", "point", "1"}}, {"119", {"1", "point", "9"}},   {"120", {"2", "point", "0"}},
      {"159", {"2", "point", "3"}}, {"160", {"3", "point", "0"}},   {"179", {"3", "point", "9"}},
      {"180", {"4", "point", "0"}}, {"183", {"4", "point", "1"}},   {"189", {"4", "point", "4"}},
      {"199", {"4", "point", "8"}}, {"200", {"gt5", "point", "0"}}, {"255", {"gt5", "point", "0"}},
  };
  for (const auto& [text, row] : cases) EXPECT_EQ(swrRow(sc, text), row) << text;
}

TEST(SpeakSwr, FramingFollowsSwrOnTx) {
  Scenario sc;
  sc.state().txState = 1;
  sc.state().swrOnTx = 1;
  EXPECT_EQ(swrRow(sc, "057"), (Row{"SWR", "1", "point", "1", "21"}));
  EXPECT_EQ(sc.state().swrOnTx, 2);
  EXPECT_EQ(swrRow(sc, "057"), (Row{"1", "point", "1"}));
  sc.state().swrOnTx = 0;
  EXPECT_EQ(swrRow(sc, "120"), (Row{"SWR", "2", "point", "0", "21"}));
  EXPECT_EQ(swrRow(sc, "120"), (Row{"SWR", "2", "point", "0", "21"}));
  EXPECT_EQ(sc.state().swrOnTx, 0);
}

TEST(SpeakSwr, QuietWhileReceivingWithoutTuner) {
  Scenario sc;
  sc.state().swrOnTx = 1;
  EXPECT_EQ(swrRow(sc, "120"), Row{});
  EXPECT_EQ(sc.state().swrOnTx, 1);
  sc.state().tunerSetting = 2;
  EXPECT_EQ(swrRow(sc, "120").size(), 5u);
}

TEST(SpeakAlc, AnnouncedOnceThenDigits) {
  Scenario sc;
  sc.state().alcAnnounce = 1;
  sc.state().alcPeak = 128;
  sc.state().tickCount = 17;
  speakAlc(sc.panel);
  EXPECT_EQ(sc.takePhrases(), (Row{"alc", "1", "2", "8"}));
  EXPECT_EQ(sc.state().alcAnnounce, 2);
  EXPECT_EQ(sc.state().tickCount, 0);
  sc.state().alcPeak = 0;
  sc.state().tickCount = 5;
  speakAlc(sc.panel);
  EXPECT_EQ(sc.takePhrases(), Row{"0"});
  EXPECT_EQ(sc.state().tickCount, 0);
  sc.state().alcAnnounce = -1;
  sc.state().alcPeak = 35;
  speakAlc(sc.panel);
  EXPECT_EQ(sc.takePhrases(), (Row{"3", "5"}));
  EXPECT_EQ(sc.state().alcAnnounce, -1);
}

TEST(SpeakKeySpeed, TensUnitsWpm) {
  const std::pair<int, Row> cases[] = {
      {4, {"4", "wpm"}},       {9, {"9", "wpm"}},       {10, {"1", "0", "wpm"}},
      {25, {"2", "5", "wpm"}}, {60, {"6", "0", "wpm"}},
  };
  for (const auto& [speed, row] : cases) {
    Scenario sc;
    sc.state().keySpeed = speed;
    speakKeySpeed(sc.panel);
    EXPECT_EQ(sc.takePhrases(), row) << speed;
  }
}

}  // namespace
}  // namespace keldar
