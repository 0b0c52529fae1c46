// The radio emulator on its own, over its pty: the answers it gives, its
// silence after settings, its models, its front panel and its late answers;
// and Hamlib's rigctl driving it directly, which proves the formats against a
// program nobody here wrote.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>

#include "process.h"
#include "station.h"

namespace e2e {
namespace {
namespace fs = std::filesystem;

class RadioOnPty : public ::testing::Test {
 protected:
  void startRadio(std::vector<std::string> extra = {}) {
    ProcessOptions run;
    run.argv = {KELDAR_EMULATOR,
                "--link",
                link().string(),
                "--log",
                (dir_.path() / "log").string(),
                "--control",
                (dir_.path() / "ctl").string()};
    run.argv.insert(run.argv.end(), extra.begin(), extra.end());
    run.stderrPath = (dir_.path() / "err").string();
    std::string error;
    radio_ = Process::start(run, error);
    ASSERT_TRUE(radio_) << error;
    ASSERT_TRUE(waitUntil([&] { return fs::is_symlink(link()) || !radio_->running(); }));
    ASSERT_TRUE(radio_->running()) << readFile(dir_.path() / "err");
    fd_ = open(link().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd_, 0);
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd_, TCSANOW, &tio);
  }

  void TearDown() override {
    if (fd_ >= 0) close(fd_);
    radio_.reset();
  }

  fs::path link() const { return dir_.path() / "radio"; }

  void send(std::string_view text) {
    ASSERT_EQ(write(fd_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }

  // Reads until `answers` replies (";") have arrived, or the hang guard.
  std::string receive(int answers = 1) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + kHangGuard;
    while (std::count(got.begin(), got.end(), ';') < answers &&
           std::chrono::steady_clock::now() < deadline) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char buffer[256];
      ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n > 0) got.append(buffer, static_cast<size_t>(n));
    }
    return got;
  }

  std::string ask(std::string_view command) {
    send(command);
    return receive();
  }

  // What is waiting right now, after a short look (only used while the radio
  // is held, so nothing can be missed by looking too early).
  std::string pending() {
    std::string got;
    pollfd p{fd_, POLLIN, 0};
    while (poll(&p, 1, 200) > 0) {
      char buffer[256];
      ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n <= 0) break;
      got.append(buffer, static_cast<size_t>(n));
    }
    return got;
  }

  void control(const std::string& line) {
    auto acknowledged = [&] { return countOf(readLines(dir_.path() / "log"), "# " + line); };
    int before = acknowledged();
    std::ofstream(dir_.path() / "ctl") << line << "\n";
    ASSERT_TRUE(waitUntil([&] { return acknowledged() > before; })) << line;
  }

  TempDir dir_;
  std::unique_ptr<Process> radio_;
  int fd_ = -1;
};

TEST_F(RadioOnPty, AnswersTheQueriesOfPanelAndLogger) {
  startRadio();
  EXPECT_EQ(ask("ID;"), "ID0670;");
  EXPECT_EQ(ask("FA;"), "FA014250000;");
  EXPECT_EQ(ask("FB;"), "FB007074000;");
  EXPECT_EQ(ask("MD0;"), "MD02;");
  EXPECT_EQ(ask("SH0;"), "SH014;");
  EXPECT_EQ(ask("NA0;"), "NA00;");
  EXPECT_EQ(ask("FT;"), "FT0;");
  EXPECT_EQ(ask("PS;"), "PS1;");
  EXPECT_EQ(ask("AI;"), "AI0;");
  EXPECT_EQ(ask("IF;"), "IF001014250000+000000200000;");
  EXPECT_EQ(ask("SM0;"), "SM0100;");
  EXPECT_EQ(ask("RM6;"), "RM6015;");
  EXPECT_EQ(ask("RM4;"), "RM4030;");
  EXPECT_EQ(ask("AG0;"), "AG0060;");
  EXPECT_EQ(ask("EX080;"), "EX0800100;");
  EXPECT_EQ(ask("EX083;"), "EX08305000;");
  // Several commands in one write are answered in order.
  send("KS;PC;ML1;");
  EXPECT_EQ(receive(3), "KS020;PC100;ML1050;");
}

TEST_F(RadioOnPty, SettingsAreSilentAndWhatItCannotTakeIsRefused) {
  startRadio();
  // A setting draws no answer: the next bytes are the read-back's answer.
  send("FA007074000;MD03;NA01;SH009;EX0800200;AG0128;FT3;");
  EXPECT_EQ(ask("FA;"), "FA007074000;");
  EXPECT_EQ(ask("MD0;"), "MD03;");
  EXPECT_EQ(ask("NA0;"), "NA01;");
  EXPECT_EQ(ask("SH0;"), "SH009;");
  EXPECT_EQ(ask("EX080;"), "EX0800200;");
  EXPECT_EQ(ask("AG0;"), "AG0128;");
  EXPECT_EQ(ask("FT;"), "FT1;");
  EXPECT_EQ(ask("IF;"), "IF001007074000+000000300000;");
  // Unknown, malformed and out of range: "?;" and the state kept.
  EXPECT_EQ(ask("ZZ;"), "?;");
  EXPECT_EQ(ask("NR1;"), "?;");
  EXPECT_EQ(ask("FA14250000;"), "?;");   // eight digits on a nine-digit radio
  EXPECT_EQ(ask("FA099000000;"), "?;");  // no band there
  EXPECT_EQ(ask("MD0Z;"), "?;");
  EXPECT_EQ(ask("AG0256;"), "?;");
  EXPECT_EQ(ask("EX154;"), "?;");     // no such menu
  EXPECT_EQ(ask("EX080100;"), "?;");  // a four-digit menu value given three
  EXPECT_EQ(ask("FA;"), "FA007074000;");
  // Switched off it hears only "PS1".
  send("PS0;FA;");
  send("PS1;");
  EXPECT_EQ(ask("PS;"), "PS1;");
  // The log holds every command as received, in order.
  auto log = commandsOnly(readLines(dir_.path() / "log"));
  EXPECT_EQ(findRun(log, {"PS0;", "FA;", "PS1;", "PS;"}), static_cast<int>(log.size()) - 4);
  EXPECT_EQ(log.front(), "FA007074000;");
}

TEST_F(RadioOnPty, EightDigitModel) {
  startRadio({"--model", "0241"});
  EXPECT_EQ(ask("ID;"), "ID0241;");
  EXPECT_EQ(ask("FA;"), "FA14250000;");
  EXPECT_EQ(ask("FA007100000;"), "?;");
  send("FA07100000;");
  EXPECT_EQ(ask("FA;"), "FA07100000;");
  EXPECT_EQ(ask("FA145000000;"), "?;");
  send("EX050001;");
  EXPECT_EQ(ask("EX050;"), "EX050001;");
}

TEST_F(RadioOnPty, SixDigitMenuModel) {
  startRadio({"--model", "0681"});
  EXPECT_EQ(ask("ID;"), "ID0681;");
  EXPECT_EQ(ask("FA;"), "FA014250000;");
  send("EX0103150200;");
  EXPECT_EQ(ask("EX010315;"), "EX0103150200;");
  EXPECT_EQ(ask("EX010316;"), "EX0103161000;");
  EXPECT_EQ(ask("EX103160500;"), "?;");  // there is no menu group 10
  EXPECT_EQ(ask("EX080;"), "?;");
  EXPECT_EQ(ask("MD0E;"), "?;");  // no C4FM on this radio
}

TEST_F(RadioOnPty, FrontPanelChangesAndLateAnswersInPieces) {
  startRadio({"--pieces", "3"});
  control("FA007050000;SM0180;RM6045");
  EXPECT_EQ(ask("FA;"), "FA007050000;");
  EXPECT_EQ(ask("SM0;"), "SM0180;");
  EXPECT_EQ(ask("RM6;"), "RM6045;");
  // Held, the radio answers nothing; released piece by piece, the answer comes
  // in thirds.
  control("hold");
  send("FA;");
  ASSERT_TRUE(
      waitUntil([&] { return commandsOnly(readLines(dir_.path() / "log")).back() == "FA;"; }));
  EXPECT_EQ(pending(), "");
  control("release 1");
  EXPECT_EQ(pending(), "FA00");
  control("release");
  EXPECT_EQ(receive(), "7050000;");
  control("report");
  auto lines = readLines(dir_.path() / "log");
  EXPECT_NE(
      std::find(lines.begin(), lines.end(), "# state FA007050000 FB007074000 MD02 FT0 PS1 TX0"),
      lines.end());
}

// rigctl straight on the emulator: every answer it needs has the form it expects.
TEST_F(RadioOnPty, RigctlDrivesTheEmulatorDirectly) {
  std::string rigctl = findTool("rigctl");
  ASSERT_FALSE(rigctl.empty())
      << "rigctl is not installed (scripts/setup installs libhamlib-utils)";
  startRadio();
  std::vector<std::string> base = {rigctl, "-m", "1035", "-r", link().string(), "-s", "38400"};
  auto rig = [&](std::vector<std::string> commands) {
    std::vector<std::string> argv = base;
    argv.insert(argv.end(), commands.begin(), commands.end());
    return runToEnd(argv, kHangGuard);
  };
  RunResult read = rig({"f"});
  ASSERT_EQ(read.exitCode, 0) << read.err;
  EXPECT_EQ(read.out, "14250000\n");
  RunResult set = rig({"F", "7074000", "f", "M", "CW", "0", "m"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  EXPECT_EQ(set.out.substr(0, set.out.find('\n', set.out.find('\n') + 1)), "7074000\nCW");
  EXPECT_EQ(ask("FA;"), "FA007074000;");
  EXPECT_EQ(ask("MD0;"), "MD03;");
  auto log = commandsOnly(readLines(dir_.path() / "log"));
  EXPECT_EQ(findRun(log, {"AI;", "ID;", "EX0321;", "EX032;", "FA;", "FB;", "FT;", "IF;", "MD0;",
                          "SH0;", "NA0;", "PS;"}),
            0);
  std::printf(
      "[ timing ] rigctl on the emulator directly: open + f %.3f s, open + F f M m %.3f s\n",
      read.seconds, set.seconds);
}

}  // namespace
}  // namespace e2e
