#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "radio/frequency_reply.h"
#include "radio/setup.h"
#include "support/radio_support.h"

namespace keldar {
namespace {

using testing::Scenario;
using testing::splitCommands;
using Commands = std::vector<std::string>;

// A radio that answers the set-up's queries like a real one.
std::map<std::string, std::string> radioAnswers(const std::string& id) {
  return {{"ID;", "ID" + id + ";"}, {"AG0;", "AG0120;"}, {"ML0;", "ML0001;"},
          {"ML1;", "ML1070;"},      {"PR0;", "PR01;"},   {"PR;", "PR1;"},
          {"NR0;", "NR01;"},        {"VX;", "VX1;"},     {"BI;", "BI0;"}};
}

// Runs the set-up as the loop does, ticking until it is done (the radio's
// answers may come late).
Commands runSetup(Scenario& sc) {
  bool done = false;
  radioSetup(sc.panel, [&done] { done = true; });
  for (int i = 0; i < 200 && !done; ++i) sc.tick();
  EXPECT_TRUE(done) << "the set-up never ended";
  std::string written = sc.takeRadio();
  // The polls of those ticks are not the set-up's.
  for (const char* poll : {"FA;", "SM0;"}) {
    for (auto at = written.find(poll); at != std::string::npos; at = written.find(poll)) {
      written.erase(at, std::string(poll).size());
    }
  }
  return splitCommands(written);
}

void configureShifts(PanelState& s) {
  s.shift10m = "100";
  s.shift6m = "500";
  s.shift2m = "600";
  s.shift70cm = "7600";
}

TEST(RadioSetup, FullSequenceForAC4fmRadio) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  configureShifts(s);
  s.noiseReduction = 1;
  testing::answerFrom(sc, radioAnswers("0670"));
  Commands sent = runSetup(sc);
  // The power command belongs to the power sender; its place is checked apart.
  const auto power = std::find_if(sent.begin(), sent.end(),
                                  [](const std::string& c) { return c.starts_with("PC"); });
  if (power != sent.end()) {
    EXPECT_EQ(*(power - 1), "CO000000;");
    sent.erase(power);
  }
  EXPECT_EQ(sent, (Commands{"ID;",   "EX0800100;",   "EX0810500;", "EX0820600;", "EX08307600;",
                            "VS0;",  "FA007100000;", "MD01;",      "NA00;",      "SH014;",
                            "RA00;", "NB00;",        "CO011200;",  "CO000000;",  "AG0;",
                            "ML0;",  "ML1;",         "PR0;",       "NR01;",      "AC001;",
                            "NR0;",  "VX;",          "BI;"}));
  EXPECT_EQ(s.radioId, 670);
  EXPECT_EQ(s.afGain, 120);
  EXPECT_EQ(s.monitorOn, 1);
  EXPECT_EQ(s.monitorLevel, "070");
  EXPECT_EQ(s.speechProcessor, 1);
  EXPECT_EQ(s.noiseReduction, 1);
  EXPECT_EQ(s.voxOn, 1);
  EXPECT_EQ(s.breakInOn, 0);
  EXPECT_EQ(s.preampOn, 1);  // band 4 stores the preamp off; setPreamp flips it
  // Each query waits for its own answer, not for a pause.
  EXPECT_EQ(sc.clock.waited, 0u);
  EXPECT_TRUE(sc.takePhrases().empty());

  // A radio answering 400 ms late is set up exactly as a fast one.
  Scenario slow;
  testing::prepareRadio(slow);
  configureShifts(slow.state());
  slow.state().noiseReduction = 1;
  testing::answerFrom(slow, radioAnswers("0670"));
  slow.serial.setAnswerLag(8);
  Commands slowSent = runSetup(slow);
  slowSent.erase(std::remove_if(slowSent.begin(), slowSent.end(),
                                [](const std::string& c) { return c.starts_with("PC"); }),
                 slowSent.end());
  EXPECT_EQ(slowSent, sent);
  EXPECT_EQ(slow.state().afGain, 120) << "no AG0080 over the radio's own gain";
  EXPECT_EQ(slow.state().radioId, 670);
}

// After a reconnect the radio is brought back to what the panel shows, not to
// the band's stored start: both VFOs with the split, the mode and its filter,
// and the functions that are on; then "connected" with the preamp as it was.
TEST(RadioSetup, AfterAReconnectTheRadioGetsThePanelsOwnState) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  testing::answerFrom(sc, radioAnswers("0670"));
  s.everConnected = 1;
  s.radioId = 670;
  s.modeIndex = 3;
  s.widthIndex = 5;
  s.vfoB = 1;
  s.vfoAText = "A007012000";
  s.vfoBText = "B007017000";
  s.noiseBlankerOn = 1;
  s.attenuatorOn = 1;
  s.notchOn = 1;
  s.contourState = 2;
  s.preampOn = 1;
  s.preampLevel = 1;
  connectRadio(sc.panel);
  for (int i = 0; i < 100 && s.connected == 0; ++i) sc.tick();
  ASSERT_EQ(s.connected, 1);
  const Commands sent = splitCommands(sc.takeRadio());
  const auto at = [&sent](const std::string& command) {
    return std::find(sent.begin(), sent.end(), command) - sent.begin();
  };
  const Commands restored = {"VS0;",   "FA007012000;", "FT3;",  "FB007017000;", "MD03;", "NA01;",
                             "SH005;", "RA01;",        "NB01;", "CO031200;",    "BC01;", "PA01;"};
  for (std::size_t i = 0; i < restored.size(); ++i) {
    ASSERT_LT(at(restored[i]), static_cast<long>(sent.size())) << restored[i];
    if (i > 0) {
      EXPECT_LT(at(restored[i - 1]), at(restored[i])) << restored[i];
    }
  }
  for (const char* reset : {"NB00;", "RA00;", "FA007100000;", "PA00;"}) {
    EXPECT_EQ(at(reset), static_cast<long>(sent.size())) << reset << " undoes the panel's state";
  }
  EXPECT_EQ(s.frequency, 7017000) << "VFO B is worked in split";
  EXPECT_EQ(s.preampOn, 1);
  EXPECT_EQ(sc.takePhrases().back(), "connected");
}

TEST(RadioSetup, SeventyCentimetreShiftOfThreeDigits) {
  Scenario sc;
  testing::prepareRadio(sc);
  configureShifts(sc.state());
  sc.state().shift70cm = "500";
  testing::answerFrom(sc, radioAnswers("0570"));
  EXPECT_EQ(runSetup(sc)[4], "EX08300500;");
}

TEST(RadioSetup, MenuRowsOfEachModel) {
  const std::map<std::string, Commands> rows = {
      {"0800", {"EX0103180100;", "EX0103190500;"}},
      {"0761", {"EX0103170100;", "EX0103180500;"}},
      {"0681", {"EX0103150100;", "EX0103160500;"}},
      {"0682", {"EX0103150100;", "EX0103160500;"}},
      {"0362", {"EX810100;", "EX820500;"}},
      {"0462", {"EX0860100;", "EX0870500;"}},
      {"0241", {"EX050001;"}},
      {"0650", {}},
      {"0999", {}},
      // Three digits, as Hamlib's simulators answer; five are no ID at all.
      {"800", {"EX0103180100;", "EX0103190500;"}},
      {"681", {"EX0103150100;", "EX0103160500;"}},
      {"06700", {}},
  };
  for (const auto& [id, expected] : rows) {
    Scenario sc;
    testing::prepareRadio(sc);
    configureShifts(sc.state());
    testing::answerFrom(sc, radioAnswers(id));
    const Commands sent = runSetup(sc);
    const Commands menuWrites(sent.begin() + 1, sent.begin() + 1 + expected.size());
    EXPECT_EQ(menuWrites, expected) << id;
    EXPECT_NE(sent[1 + expected.size()].rfind("EX", 0), 0u) << id;
    EXPECT_EQ(sc.state().radioId, id.size() <= 4 ? std::stoi(id) : 0) << id;
  }
}

TEST(RadioSetup, EightDigitRadiosAndTheirProcessorQueries) {
  Scenario sc241;
  testing::prepareRadio(sc241);
  testing::answerFrom(sc241, radioAnswers("0241"));
  const Commands sent241 = runSetup(sc241);
  EXPECT_EQ(sent241[3], "FA07100000;");
  EXPECT_EQ(std::count(sent241.begin(), sent241.end(), "PR;") +
                std::count(sent241.begin(), sent241.end(), "PR0;"),
            0);

  Scenario sc362;
  testing::prepareRadio(sc362);
  sc362.serial.setResponder([](int, const std::string& written) {
    if (written == "ID;") return std::string("ID0362;");
    if (written == "PR;") return std::string("PR1;");
    return std::string();
  });
  const Commands sent362 = runSetup(sc362);
  EXPECT_NE(std::find(sent362.begin(), sent362.end(), "PR;"), sent362.end());
  EXPECT_EQ(sc362.state().speechProcessor, 1);
}

TEST(RadioSetup, SilentRadioGetsDefaultsAndNoMenuWrites) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  configureShifts(s);
  s.noiseReduction = 0;
  s.voxOn = 1;
  s.monitorLevel = "050";
  s.tunerSetting = 1;
  const Commands sent = runSetup(sc);
  EXPECT_EQ(s.radioId, 0);
  EXPECT_EQ(sent[2], "FA007100000;");
  EXPECT_EQ(s.afGain, 80);
  EXPECT_NE(std::find(sent.begin(), sent.end(), "AG0080;"), sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(), "NR00;"), sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(), "AC000;"), sent.end());
  EXPECT_EQ(s.noiseReduction, 9);
  EXPECT_EQ(s.speechProcessor, 0);
  EXPECT_EQ(s.voxOn, 1);
  EXPECT_EQ(s.monitorLevel, "050");
}

TEST(RadioSetup, RepliesOutOfRangeOrCutKeepTheFields) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  s.voxOn = 1;
  s.breakInOn = 1;
  sc.serial.setResponder([](int, const std::string& written) {
    if (written == "VX;") return std::string("VX2;");
    if (written == "BI;") return std::string("BI");
    if (written == "ML1;") return std::string("ML1");
    if (written == "NR0;") return std::string("NR010;");  // the simulator's form
    if (written == "AG0;") return std::string("AG0;");
    return std::string();
  });
  runSetup(sc);
  EXPECT_EQ(s.voxOn, 0);
  EXPECT_EQ(s.breakInOn, 1);
  EXPECT_EQ(s.monitorLevel, "050");
  EXPECT_EQ(s.noiseReduction, 1);
  EXPECT_EQ(s.afGain, 80);
}

TEST(RadioSetup, FmBandRestoresToneAndRepeater) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  s.bandIndex = 12;
  s.modeIndex = 5;
  s.bandTable[12] = "05A145000000B1450000000881";
  runSetup(sc);
  EXPECT_NE(s.repeaterMode, 1);  // a record without the repeater mark: shift off
  EXPECT_EQ(s.toneCode, "088");
  EXPECT_EQ(s.toneEntry, 1);
  EXPECT_EQ(s.scratchValue, 88);
  EXPECT_EQ(s.toneIsDcs, 0);
  EXPECT_EQ(s.preampOn, 0);

  s.repeaterMode = 0;
  s.bandTable[12] = "55A145000000B-000006000230";
  runSetup(sc);
  EXPECT_EQ(s.toneIsDcs, 0);
  EXPECT_EQ(s.toneCode, "023");

  s.bandTable[12] = "55A145000000B-000006007540";
  runSetup(sc);
  EXPECT_EQ(s.toneIsDcs, 1);

  s.bandTable[12] = "05A145000000";  // a damaged record: no tone is made up
  runSetup(sc);
  EXPECT_EQ(s.toneCode, "999");
  EXPECT_EQ(s.toneEntry, 0);
}

TEST(RadioSetup, DamagedBandRecordSendsNoFrequency) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  s.bandTable[4] = "01A00710";
  const auto tunes = [](const Commands& sent) {
    return std::any_of(sent.begin(), sent.end(),
                       [](const std::string& c) { return c.starts_with("FA"); });
  };
  Commands sent = runSetup(sc);
  EXPECT_FALSE(tunes(sent));
  EXPECT_EQ(sent[2], "MD01;");
  s.bandIndex = 0;
  sent = runSetup(sc);
  EXPECT_FALSE(tunes(sent));
  EXPECT_EQ(s.preampOn, 0);
}

TEST(RadioSetup, OpensTheRelayPortLast) {
  Scenario sc;
  testing::prepareRadio(sc);
  PanelState& s = sc.state();
  s.relayPort = testing::kRelayPort;
  runSetup(sc);
  const auto& port = sc.serial.port(testing::kRelayPort);
  EXPECT_TRUE(port.open);
  EXPECT_EQ(port.baud, 38400);
  EXPECT_TRUE(port.neverWait);
  EXPECT_EQ(port.dataBits, 8);
  EXPECT_EQ(port.parity, 0);
  EXPECT_EQ(port.stopBits, 2);

  Scenario same;
  testing::prepareRadio(same);
  same.state().relayPort = testing::kRadioPort;
  testing::answerFrom(same, radioAnswers("0670"));
  runSetup(same);
  EXPECT_EQ(same.serial.port(testing::kRadioPort).opens, 1);
}

}  // namespace
}  // namespace keldar
