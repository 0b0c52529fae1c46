#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/events.h"
#include "base/trace.h"
#include "cat/cat.h"
#include "cat/exchange.h"
#include "core/window.h"
#include "radio/radio_line.h"
#include "speech/player.h"
#include "support/scenario.h"

namespace keldar {
namespace {

using testing::Scenario;

TEST(Harness, BytesPhrasesAndScreenAreObservable) {
  Scenario sc;
  sc.state().comPort = 3;
  sc.serial.openPort(3, 38400);
  sc.state().commandText = "FA014250000";
  sendCommand(sc.panel);
  EXPECT_EQ(sc.takeRadio(), "FA014250000;");
  EXPECT_EQ(sc.takeRadio(), "");

  playPhrase(sc.panel, "on");
  playPhrase(sc.panel, "9.wav");
  sc.state().phraseDir = "xx";
  playPhrase(sc.panel, "9");
  EXPECT_EQ(sc.takePhrases(), (std::vector<std::string>{"on", "9"}));
  EXPECT_EQ(sc.takeSoundPaths(),
            (std::vector<std::string>{"wave/on.wav", "wave/9.wav", "xx9.wav"}));

  moveTextPosition(sc.panel, 750, 45);
  printText(sc.panel, "S9");
  printText(sc.panel, "+");
  EXPECT_EQ(sc.field(750, 45), "S9+");
  moveTextPosition(sc.panel, 750, 45);
  printText(sc.panel, "S8  ");
  EXPECT_EQ(sc.field(750, 45), "S8  ");
  printText(sc.panel, "\r\n");  // nothing left to draw
  EXPECT_EQ(sc.screen.prints.size(), 3u);
}

// Each query waits for the answer that carries its mnemonic, whatever order
// they come in and however they are cut; at its deadline it is given up and
// its late answer dropped; the radio's refusal goes to the oldest query.
TEST(Exchange, EachQueryGetsItsOwnAnswerOrItsDeadline) {
  Scenario sc;
  sc.state().comPort = 2;
  sc.serial.openPort(2, 4800);
  std::vector<std::string> got;
  const auto note = [&got](std::string who) {
    return [&got, who](const RadioAnswer& a) {
      got.push_back(who + ":" + (a.refused ? "refused" : a.arrived ? a.text : "none"));
    };
  };
  askRadio(sc.panel, "FA", Asker::kPoll, note("poll"));
  askRadio(sc.panel, "KS", Asker::kWork, note("ks"));
  askRadio(sc.panel, "AG0", Asker::kRelay, note("relay"));
  EXPECT_EQ(sc.takeRadio(), "FA;KS;AG0;");
  EXPECT_EQ(queriesOut(sc.panel, Asker::kWork), 1);
  sc.feedRadio("KS020;FA0142");
  serviceRadioLine(sc.panel);
  EXPECT_EQ(got, (std::vector<std::string>{"ks:KS020;"}));
  EXPECT_EQ(queriesOut(sc.panel, Asker::kWork), 0);
  sc.feedRadio("50000;");
  sc.clock.ms += kAnswerTimeoutMs - 1;
  serviceRadioLine(sc.panel);
  EXPECT_EQ(got.back(), "poll:FA014250000;");
  sc.clock.ms += 1;
  serviceRadioLine(sc.panel);
  EXPECT_EQ(got.back(), "relay:none") << "the deadline ends the wait";
  sc.feedRadio("AG0100;");
  serviceRadioLine(sc.panel);
  EXPECT_EQ(got.size(), 3u) << "a late answer reaches nobody";
  askRadio(sc.panel, "PC", Asker::kWork, note("pc"));
  askRadio(sc.panel, "SM0", Asker::kPoll, note("sm"));
  sc.feedRadio("?;SM0050;");
  serviceRadioLine(sc.panel);
  EXPECT_EQ(got, (std::vector<std::string>{"ks:KS020;", "poll:FA014250000;", "relay:none",
                                           "pc:refused", "sm:SM0050;"}));
  got.clear();
  sc.takeRadio();
  sc.takePhrases();

  // A refusal that comes before the answer of a query written after a
  // setting is the setting's: the panel's own is spoken, the query still
  // gets its answer, and a setting taken in silence is forgotten.
  sc.state().commandText = "MD0E";
  sendCommand(sc.panel);
  askRadio(sc.panel, "FA", Asker::kPoll, note("poll"));
  sc.feedRadio("?;FA014250000;");
  serviceRadioLine(sc.panel);
  EXPECT_EQ(got, (std::vector<std::string>{"poll:FA014250000;"}));
  EXPECT_EQ(sc.takePhrases(), (std::vector<std::string>{"invalid"}));
  sc.state().commandText = "PC050";
  sendCommand(sc.panel);
  sc.clock.ms += kAnswerTimeoutMs + 1;
  sc.feedRadio("?;");
  serviceRadioLine(sc.panel);
  EXPECT_TRUE(sc.takePhrases().empty()) << "too late to be that setting's";
  // A refused frequency leaves no trace in the band records.
  sc.state().bandTable[11] = "01A050100000B0501000009990";
  sc.state().commandText = "FA051000000";
  sendCommand(sc.panel);
  sc.state().bandTable[11] = "01A051000000B0501000009990";  // as the panel keeps a setting
  sc.feedRadio("?;");
  serviceRadioLine(sc.panel);
  EXPECT_EQ(sc.state().bandTable[11], "01A050100000B0501000009990");
  EXPECT_EQ(sc.takePhrases(), (std::vector<std::string>{"invalid"}));
  // The other program's refused setting is kept for it, not spoken.
  sc.state().commandText = "FA060000000";
  sendCommand(sc.panel, Asker::kRelay);
  sc.feedRadio("?;");
  serviceRadioLine(sc.panel);
  EXPECT_TRUE(sc.takePhrases().empty());
  EXPECT_EQ(sc.panel.exchange.forRelay, "?;");
}

TEST(Exchange, QueriesAreToldFromSettings) {
  for (const char* query : {"FA;", "IF;", "SM0;", "RM6;", "AG0;", "EX030;", "CN00;"}) {
    EXPECT_TRUE(isQueryCommand(query, 3)) << query;
  }
  for (const char* setting :
       {"FA014250000;", "TX1;", "AG0080;", "EX030123;", "ZI;", "MD02;", "PC050;", "BD0;"}) {
    EXPECT_FALSE(isQueryCommand(setting, 3)) << setting;
  }
  EXPECT_TRUE(isQueryCommand("EX0301;", 4)) << "four-digit menus";
}

TEST(Harness, EventsSetTheGlobalsAndAreTraced) {
  Scenario sc;
  std::ostringstream out;
  Trace trace(out, sc.clock);
  sc.panel.trace = &trace;
  sc.keyDown(74);
  EXPECT_EQ(sc.state().keyDown, 1) << "J is held until its key-up";
  sc.keyUp(74);
  EXPECT_EQ(sc.state().keyDown, 0);
  sc.state().running = 1;
  sc.closeRequest();
  EXPECT_EQ(sc.state().running, 0);
  EXPECT_EQ(sc.state().currentMessage, 0) << "globals are restored after the handler";
  EXPECT_EQ(out.str(), "0 KEY 74\n0 ACT 74\n0 SAY wave/nc.wav\n0 KEYUP 74\n0 CLOSE\n");
}

TEST(Harness, TraceEscapesBytes) {
  EXPECT_EQ(Trace::escape("FA;"), "FA;");
  EXPECT_EQ(Trace::escape(std::string("a\\b\x01\xff", 5)), "a\\\\b\\x01\\xFF");
}

TEST(Harness, KeyCodesOfCharacters) {
  EXPECT_EQ(testing::vkOf('j'), 74);
  EXPECT_EQ(testing::vkOf('5'), 53);
  EXPECT_EQ(testing::vkOf('.'), 190);
  EXPECT_EQ(testing::vkOf('\n'), 13);
  EXPECT_EQ(testing::splitCommands("FA;SM0;PC"), (std::vector<std::string>{"FA;", "SM0;", "PC"}));
}

}  // namespace
}  // namespace keldar
