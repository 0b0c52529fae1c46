#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/events.h"
#include "panel/window.h"
#include "radio/cat.h"
#include "runtime/trace.h"
#include "speech/player.h"
#include "testing/scenario.h"

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

TEST(Harness, RadioRepliesAreReadOnceWithoutWaiting) {
  Scenario sc;
  sc.state().comPort = 2;
  sc.serial.openPort(2, 4800);
  readReply(sc.panel);
  EXPECT_EQ(sc.state().replyText, "");
  sc.feedRadio("FA014250000;SM0120;");
  readReply(sc.panel);
  EXPECT_EQ(sc.state().replyText, "FA014250000;SM0120;");
  EXPECT_EQ(sc.state().portBytes, 19);
  readReply(sc.panel);
  EXPECT_EQ(sc.state().replyText, "");
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
  EXPECT_EQ(out.str(), "0 KEY 74\n0 SAY wave/nc.wav\n0 KEYUP 74\n0 CLOSE\n");
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
