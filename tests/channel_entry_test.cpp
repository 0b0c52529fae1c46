// Digits in each entry, memory store and recall, band selection, band
// records, split off, repeater shift and tone squelch.
#include <gtest/gtest.h>

#include "core/record_checks.h"
#include "memory/records.h"
#include "radio/channel_entry.h"
#include "radio/repeater.h"
#include "support/keyboard_fixture.h"

namespace keldar {
namespace {

using testing::absent;
using testing::inOrder;
using testing::KeyScenario;
using testing::Rows;

int countOf(const Rows& rows, const std::string& row) {
  return static_cast<int>(std::count(rows.begin(), rows.end(), row));
}

// ---- Store ------------------------------------------------------------------------

TEST(Store, WritesAFullRecordAndSaysWhenTheFileWasNotSaved) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.files.fail = true;
  sc.type("cb37");
  EXPECT_EQ(s.memoryChannels[37], "0206A014200000B0142000009990");
  EXPECT_EQ(sc.takePhrases(), (Rows{"sch", "bank", "3", "channel", "7", "notsaved"}));
  EXPECT_EQ(s.memoryMode, 0);
  EXPECT_EQ(sc.commands(), Rows{});
}

TEST(Store, RewritesTheMemoryFileAtOnce) {
  KeyScenario sc;
  sc.type("cb37");
  EXPECT_EQ(sc.takePhrases(), (Rows{"sch", "bank", "3", "channel", "7", "ok"}));
  // Header, 14 band rows, then channels 0 to 99: channel 37 is line 53.
  std::string file = sc.readFile("savmem.dat");
  Rows lines;
  for (std::size_t end; (end = file.find("\r\n")) != std::string::npos; file.erase(0, end + 2)) {
    lines.push_back(file.substr(0, end));
  }
  ASSERT_EQ(lines.size(), 115u);
  EXPECT_EQ(lines[52], "0206A014200000B0142000009990");
  EXPECT_TRUE(sc.fileExists("memory.txt"));
}

TEST(Store, GeneralCoverageToneAndPreamp) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.tuneTo(9670000, 14, 4);
  s.preampOn = 1;
  sc.type("c5");
  EXPECT_EQ(s.memoryChannels[5], "0414A009670000B0096700009991");
  s.toneEntry = 1;
  s.toneCode = "012";
  sc.type("c6");
  EXPECT_EQ(rightText(s.memoryChannels[6], 4), "0121");
  // A code still being typed is no tone yet.
  s.toneCode = "01";
  sc.type("c7");
  EXPECT_EQ(rightText(s.memoryChannels[7], 4), "9991");
}

TEST(Store, RepeaterChannel) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.tuneTo(145600000, 12, 5);
  s.repeaterMode = 1;
  s.shift2m = "600";
  s.shift2mMinus = 1;
  sc.type("c1");
  EXPECT_EQ(s.memoryChannels[1],
            "5512A145600000B-00000600999"
            "0");
  s.bandIndex = 13;
  s.shift70cm = "7600";
  s.frequencyReply = "FA438650000";
  sc.type("c2");
  EXPECT_EQ(s.memoryChannels[2],
            "5513A438650000B+00007600999"
            "0");
}

TEST(Store, SplitWithoutAnFbReplyUsesTheStoredVfoB) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.vfoB = 1;
  s.bandTable[6] = "12A014200000B0142500009990";
  sc.type("c3");
  EXPECT_EQ(s.memoryChannels[3], "1206A014200000B0142500009990");
  s.vfoBText = "B014260000";
  sc.type("c4");
  EXPECT_EQ(s.memoryChannels[4], "1206A014200000B0142600009990");
}

TEST(Store, AnIncompleteStateIsRefused) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.modeIndex = 0;
  sc.files.fail = true;
  sc.type("c8");
  EXPECT_EQ(s.memoryChannels[8], "9");
  EXPECT_EQ(sc.takePhrases(), (Rows{"sch", "8", "invalid"}));
}

// ---- Recall ----------------------------------------------------------------------

TEST(Recall, SplitChannel) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.memoryChannels[2] = "1206A014200000B0142500009991";
  sc.type("g2");
  const Rows sent = sc.commands();
  EXPECT_TRUE(inOrder(sent, {"FT3;", "FA014200000;", "FB014250000;", "CT00;", "PA01;"}));
  EXPECT_EQ(sc.takePhrases(), (Rows{"gch", "2", "split"}));
  EXPECT_EQ(s.vfoB, 1);
  EXPECT_EQ(s.channelBank, 0);
  EXPECT_EQ(s.channelSlot, 2);
  EXPECT_EQ(s.bandIndex, 6);
  EXPECT_EQ(s.modeIndex, 2);
  EXPECT_EQ(s.splitFrequencyText, "A014200000");
  EXPECT_EQ(s.announceOnReply, 1);
  EXPECT_EQ(s.preampOn, 1);
  EXPECT_EQ(s.memoryMode, 0);
}

TEST(Recall, TheModeLandsInTheRecalledBandsRecord) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.tuneTo(145000000, 12, 5);
  s.memoryChannels[3] = "0206A014250000B0142500009990";
  s.bandTable[6] = "01A014200000B0142000009991";
  sc.type("g3");
  EXPECT_EQ(s.bandIndex, 6);
  EXPECT_EQ(s.bandTable[12], kDefaultBandTable[12]) << "the band left keeps its mode";
}

TEST(Recall, EmptyDamagedAndOutOfBandChannelsAreRefused) {
  for (const char* record :
       {"9", "", "0200A014200000B0142000009990", "0215A014200000B0142000009990",
        "0206A014200000B014200000999", "0206A01420000XB0142000009990"}) {
    KeyScenario sc;
    PanelState& s = sc.state();
    s.memoryChannels[4] = record;
    sc.type("g4");
    EXPECT_EQ(sc.takePhrases(), (Rows{"gch", "4", "invalid"})) << record;
    EXPECT_EQ(sc.commands(), Rows{}) << record;
    EXPECT_EQ(s.channelBank, 99);
    EXPECT_EQ(s.bandIndex, 6);
  }
}

TEST(Recall, TonesByKindWithTheirOwnValue) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.memoryChannels[10] = "0512A145000000B1450000005230";
  s.memoryChannels[11] = "0512A145000000B1450000000080";
  s.memoryChannels[12] = "0212A145000000B1450000000080";
  s.scratchValue = 650;  // left by an earlier operation
  sc.type("gb10");
  EXPECT_TRUE(inOrder(sc.commands(), {"FT2;", "FA145000000;", "EX0860;", "CN01023;", "PA00;"}));
  EXPECT_TRUE(inOrder(sc.takePhrases(), {"dcs", "on"}));
  EXPECT_EQ(s.toneIsDcs, 1);
  EXPECT_EQ(s.toneEntry, 1);
  sc.type("gb11");
  EXPECT_TRUE(inOrder(sc.commands(), {"CN00008;", "CT01;"}));
  EXPECT_TRUE(inOrder(sc.takePhrases(), {"ctcss", "0", "0", "8"}));
  EXPECT_EQ(s.toneIsDcs, 0);
  // Outside FM a stored tone is not used.
  sc.type("gb12");
  EXPECT_TRUE(inOrder(sc.commands(), {"CT00;"}));
  EXPECT_EQ(s.toneEntry, 0);
  EXPECT_EQ(s.toneCode, "999");
}

TEST(Recall, RepeaterChannelEndsSplitAndSwitchesTheShiftOn) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.vfoB = 1;
  s.shift2mMinus = 1;
  s.memoryChannels[20] =
      "5512A145600000B-00000600999"
      "0";
  sc.type("gb20");
  const Rows sent = sc.commands();
  EXPECT_EQ(countOf(sent, "FT2;"), 1);
  EXPECT_TRUE(inOrder(sent, {"FT2;", "FA145600000;", "OS02;", "CT00;"}));
  EXPECT_EQ(s.repeaterMode, 1);
  EXPECT_EQ(s.vfoB, 0);
  EXPECT_TRUE(inOrder(sc.takePhrases(), {"repeater", "on"}));
}

// ---- Band number, typed band, selectBand ------------------------------------------------

TEST(BandNumber, DigitSelectsAndSplitEndsOnce) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.vfoB = 1;
  sc.type("b0");
  EXPECT_EQ(s.bandIndex, 10);
  EXPECT_EQ(s.vfoB, 0);
  EXPECT_EQ(s.pendingMode, 0);
  const Rows sent = sc.commands();
  EXPECT_EQ(countOf(sent, "FT2;"), 1);
  EXPECT_TRUE(inOrder(sent, {"FT2;", "FA028500000;", "PA01;"}));
  sc.type("b3");
  EXPECT_EQ(s.bandIndex, 3);
  EXPECT_TRUE(absent(sc.commands(), "FT2;"));
}

TEST(TypedBand, MegahertzTable) {
  KeyScenario sc;
  PanelState& s = sc.state();
  const std::pair<int32_t, int32_t> cases[] = {{1, 1},   {3, 2},    {14, 6},   {29, 10},
                                               {50, 11}, {148, 12}, {435, 13}, {440, 14},
                                               {27, 14}, {999, 14}};
  for (const auto& [mhz, band] : cases) {
    s.freqEntryValue = mhz;
    bandForTypedMhz(sc.panel);
    EXPECT_EQ(s.bandIndex, band) << mhz;
  }
}

TEST(SelectBand, WrapsByCoverageAndStaysInTheTable) {
  KeyScenario sc;
  PanelState& s = sc.state();
  const struct {
    const char* coverage;
    int32_t from, to;
  } cases[] = {{"2", 13, 1}, {"2", 0, 12},  {"1", 11, 1}, {"1", 0, 10}, {"6", 12, 1},
               {"7", 0, 13}, {"7", 15, 14}, {"", 0, 10},  {"", -3, 10}, {"", 20, 14}};
  for (const auto& c : cases) {
    s.bandCoverage = c.coverage;
    s.bandIndex = c.from;
    selectBand(sc.panel);
    EXPECT_EQ(s.bandIndex, c.to) << c.coverage << " " << c.from;
  }
}

TEST(SelectBand, RestoresToneRepeaterAndPreamp) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.bandTable[12] = "05A145000000B1450000000121";
  s.bandIndex = 12;
  selectBand(sc.panel);
  EXPECT_TRUE(inOrder(sc.commands(), {"FA145000000;", "CN00012;", "CT01;", "PA01;"}));
  EXPECT_TRUE(inOrder(sc.takePhrases(), {"ctcss", "0", "1", "2", "preamp", "on"}));
  EXPECT_EQ(s.toneEntry, 1);
  EXPECT_EQ(s.quietLimits, 1);
  EXPECT_EQ(s.splitFrequencyText, "A145000000");

  // A DCS code goes back as DCS squelch.
  s.bandTable[13] =
      "55A438650000B+00007600523"
      "0";
  s.bandIndex = 13;
  s.toneIsDcs = 0;
  selectBand(sc.panel);
  const Rows sent = sc.commands();
  EXPECT_TRUE(inOrder(sent, {"CT00;", "FA438650000;", "OS01;", "CN01023;", "CT03;", "PA00;"}));
  EXPECT_TRUE(absent(sent, "CT01;"));
  EXPECT_EQ(s.toneIsDcs, 1);
  EXPECT_EQ(s.repeaterMode, 1);

  // "000" is no tone; a damaged row is replaced by the band's default.
  s.repeaterMode = 0;
  s.bandTable[12] = "05A145000000B1450000000000";
  s.bandIndex = 12;
  selectBand(sc.panel);
  EXPECT_EQ(s.toneEntry, 0);
  s.bandTable[11] = "02A0501";
  s.bandIndex = 11;
  selectBand(sc.panel);
  EXPECT_EQ(s.bandTable[11], kDefaultBandTable[11]);
  EXPECT_TRUE(inOrder(sc.commands(), {"FA050150000;"}));
}

// ---- saveBandState and splitOff ------------------------------------------------------

TEST(SaveBandState, WritesFullRecordsFromFrequencyRepliesOnly) {
  KeyScenario sc;
  PanelState& s = sc.state();
  sc.tuneTo(14250000, 6, 2);
  saveBandState(sc.panel);
  EXPECT_EQ(s.bandTable[6], "02A014250000B0142000009990");
  // Not a frequency reply: nothing is written.
  s.frequencyReply = "01AB0096700009990";
  s.bandTable[6] = kDefaultBandTable[6];
  saveBandState(sc.panel);
  EXPECT_EQ(s.bandTable[6], kDefaultBandTable[6]);
  // Split: VFO A from the record, VFO B from the reply.
  s.vfoB = 1;
  s.frequencyReply = "FB014260000";
  s.toneCode = "01";  // half-typed: the record keeps its own tone
  saveBandState(sc.panel);
  EXPECT_EQ(s.bandTable[6], "12A014200000B0142600009990");
  s.vfoB = 0;
  s.relayActive = 1;
  s.frequencyReply = "FA014000000";
  saveBandState(sc.panel);
  EXPECT_EQ(s.bandTable[6], "12A014200000B0142600009990") << "the relay's tuning is not kept";
}

TEST(SaveBandState, RepeaterFormOnlyWhereThereIsAShift) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.repeaterMode = 1;
  s.shift10m = "100";
  sc.tuneTo(29600000, 10, 5);
  saveBandState(sc.panel);
  EXPECT_EQ(s.bandTable[10],
            "55A029600000B+00000100999"
            "0");
  EXPECT_TRUE(isBandRecord(s.bandTable[10]));
  sc.tuneTo(14250000, 6, 2);
  saveBandState(sc.panel);
  EXPECT_EQ(s.bandTable[6], "02A014250000B0142000009990");
  // A repeater record left with the shift off gets a frequency again.
  s.repeaterMode = 0;
  sc.tuneTo(29620000, 10, 5);
  saveBandState(sc.panel);
  EXPECT_EQ(s.bandTable[10], "05A029620000B0296200009990");
}

TEST(SplitOff, RestoresVfoAAndWritesAProperRecord) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.vfoB = 1;
  s.splitFrequencyText = "A014250000";
  s.bandTable[6] = "12A014250000B0142700009991";
  splitOff(sc.panel);
  EXPECT_EQ(sc.commands(), (Rows{"FT2;", "FA014250000;"}));
  EXPECT_EQ(s.bandTable[6], "02A014250000B0142700009990");
  // Without a known VFO A text the band record's VFO A is used.
  s.splitFrequencyText = "";
  s.relayActive = 1;
  splitOff(sc.panel);
  EXPECT_EQ(sc.commands(), (Rows{"FT2;", "FA014250000;"}));
  EXPECT_EQ(s.bandTable[6], "02A014250000B0142700009990");
}

// ---- Repeater shift and tone squelch ------------------------------------------------

TEST(RepeaterShift, ByBandAndSign) {
  KeyScenario sc;
  PanelState& s = sc.state();
  // Every band with a shift follows its own configured sign.
  const struct {
    int32_t band, minus;
    Rows sent;
  } cases[] = {{10, 0, {"OS01;"}}, {10, 1, {"OS02;"}}, {11, 0, {"OS01;"}},
               {11, 1, {"OS02;"}}, {12, 0, {"OS01;"}}, {12, 1, {"OS02;"}},
               {13, 0, {"OS01;"}}, {13, 1, {"OS02;"}}, {6, 1, {}}};
  for (const auto& c : cases) {
    s.bandIndex = c.band;
    s.shift10mMinus = s.shift6mMinus = s.shift2mMinus = s.shift70cmMinus = 0;
    (c.band == 10   ? s.shift10mMinus
     : c.band == 11 ? s.shift6mMinus
     : c.band == 12 ? s.shift2mMinus
                    : s.shift70cmMinus) = c.minus;
    s.repeaterMode = 0;
    setRepeaterShift(sc.panel);
    EXPECT_EQ(sc.commands(), c.sent) << c.band;
    EXPECT_EQ(sc.takePhrases(), (Rows{"repeater", "on"}));
    EXPECT_EQ(s.repeaterMode, 1);
  }
  s.repeaterMode = 2;
  setRepeaterShift(sc.panel);
  EXPECT_EQ(sc.commands(), Rows{"OS00;"});
  EXPECT_EQ(sc.takePhrases(), Rows{});
}

TEST(RepeaterShift, ToneSquelchAfterTheShiftAndSplitEndsWithIt) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.bandIndex = 12;
  s.shift2mMinus = 1;
  s.toneEntry = 1;
  s.toneIsDcs = 1;
  setRepeaterShift(sc.panel);
  EXPECT_EQ(sc.commands(), (Rows{"OS02;", "CT03;"}));
  s.toneIsDcs = 0;
  s.vfoB = 1;
  setRepeaterShift(sc.panel);
  EXPECT_EQ(sc.commands(), (Rows{"FT2;", "OS00;"}));
  EXPECT_EQ(s.vfoB, 0);
  setRepeaterShift(sc.panel);
  EXPECT_EQ(sc.commands(), (Rows{"OS02;", "CT01;"}));
}

TEST(ToneSquelch, CtcssAndDcsCommands) {
  KeyScenario sc;
  PanelState& s = sc.state();
  s.toneCode = "008";
  s.toneBeingApplied = 1;
  setToneSquelch(sc.panel);
  EXPECT_EQ(sc.takePhrases(), (Rows{"ctcss", "on"}));
  EXPECT_EQ(sc.commands(), (Rows{"CN00008;", "CT01;"}));
  s.toneBeingApplied = 0;
  setToneSquelch(sc.panel);
  EXPECT_EQ(sc.takePhrases(), (Rows{"ctcss", "0", "0", "8"}));
  sc.commands();

  s.toneIsDcs = 1;
  const struct {
    const char* code;
    Rows sent;
  } cases[] = {
      {"523", {"EX0860;", "CN01023;", "CT03;"}}, {"603", {"EX0860;", "CN01103;", "CT03;"}},
      {"600", {"EX0860;", "CN01100;", "CT03;"}}, {"500", {"EX0860;", "CN01000;", "CT03;"}},
      {"702", {"EX0863;", "CN01102;", "CT03;"}}, {"712", {"EX0863;", "CN01012;", "CT03;"}}};
  for (const auto& c : cases) {
    s.toneCode = c.code;
    s.scratchValue = toInt32(textToNumber(c.code));
    setToneSquelch(sc.panel);
    EXPECT_EQ(sc.commands(), c.sent) << c.code;
    EXPECT_EQ(sc.takePhrases(), (Rows{"dcs", "on"}));
  }
}

TEST(Records, FrequencyTexts) {
  EXPECT_EQ(displayFromDigits("029700000"), "29.700000");
  EXPECT_EQ(displayFromDigits("145000000"), "145.000000");
  EXPECT_EQ(displayFromDigits("000500000"), ".500000");
  EXPECT_EQ(nineDigits(-5), "000000000");
  EXPECT_EQ(nineDigits(7100000), "007100000");
  EXPECT_TRUE(isShiftPart("B-00000600"));
  EXPECT_FALSE(isShiftPart("B000000600"));
}

}  // namespace
}  // namespace keldar
