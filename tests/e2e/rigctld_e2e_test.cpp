// Hamlib's own network client (rigctl -m 2) sharing the radio through the
// running panel's --rigctld port, the emulated radio on the panel's port.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "acceptance.h"

namespace e2e {
namespace {

class NetworkSharing : public Acceptance {
 protected:
  // Hamlib's rigctld on a radio of its own: the emulator's second copy.
  bool startHamlib(const std::string& model, const std::string& port, std::string& error) {
    const std::string rigctld = findTool("rigctld");
    if (rigctld.empty()) {
      error = "rigctld is not installed (scripts/setup installs libhamlib-utils)";
      return false;
    }
    const std::filesystem::path device = hamlibDir_.path() / "radio";
    hamlibRadio_ = Process::start({{KELDAR_EMULATOR, "--link", device.string(), "--model", model},
                                   {},
                                   false,
                                   "/dev/null",
                                   "/dev/null",
                                   {}},
                                  error);
    if (!hamlibRadio_ || !waitUntil([&] { return std::filesystem::is_symlink(device); })) {
      return false;
    }
    hamlib_ =
        Process::start({{rigctld, "-m", "1035", "-r", device.string(), "-s", "38400", "-t", port},
                        {},
                        false,
                        "/dev/null",
                        "/dev/null",
                        {}},
                       error);
    return hamlib_ != nullptr && waitUntil([&] { return !askWith(port, "f").empty(); });
  }

  // One line to a rigctld port, and all it answered.
  static std::string askWith(const std::string& port, const std::string& line);

  TempDir hamlibDir_;
  std::unique_ptr<Process> hamlibRadio_;
  std::unique_ptr<Process> hamlib_;
};

// A client connection: one line sent, its answer read until the peer has
// said nothing for a while (answers have no end mark in the plain form).
std::string NetworkSharing::askWith(const std::string& port, const std::string& line) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(std::stoi(port)));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string got;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
    const std::string out = line + "\n";
    if (::write(fd, out.data(), out.size()) == static_cast<ssize_t>(out.size())) {
      timeval wait{0, 700000};
      ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
      char buffer[4096];
      for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) got.append(buffer, n);
    }
  }
  ::close(fd);
  return got;
}

TEST_F(NetworkSharing, RigctlSetsFrequencyModePttAndSplitAndThePanelFollows) {
  const std::string rigctl = findTool("rigctl");
  ASSERT_FALSE(rigctl.empty())
      << "rigctl is not installed (scripts/setup installs libhamlib-utils)";
  const std::string port = std::to_string(freeLoopbackPort());
  StationOptions options;
  options.panelArgs = {"--rigctld", port};
  ASSERT_NO_FATAL_FAILURE(start(options));
  auto rig = [&](std::vector<std::string> commands) {
    std::vector<std::string> argv = {rigctl, "-m", "2", "-r", "127.0.0.1:" + port};
    argv.insert(argv.end(), commands.begin(), commands.end());
    return runToEnd(argv, kHangGuard);
  };

  RunResult read = rig({"f", "m"});
  ASSERT_EQ(read.exitCode, 0) << read.err;
  EXPECT_EQ(read.out.substr(0, read.out.find('\n')), "7100000");  // the start band

  const Mark before = mark();
  RunResult set =
      rig({"F", "14250000", "f", "M",    "USB", "2400",     "m", "T", "1", "t", "T",    "0",
           "t", "S",        "1", "VFOB", "I",   "14260000", "s", "i", "S", "0", "VFOA", "s"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  EXPECT_EQ(set.out, "14250000\nUSB\n2400\n1\n0\n1\nVFOB\n14260000\n0\nVFOA\n");
  expectSentInOrder(before,
                    {"FA014250000;", "MD02;", "TX1;", "TX0;", "FT3;", "FB014260000;", "FT2;"});
  const std::string radio = station_->radioState();
  EXPECT_EQ(radio.substr(0, 25), "FA014250000 FB014260000 M") << radio;
  EXPECT_NE(radio.find(" MD02 FT0 "), std::string::npos) << radio;
  EXPECT_TRUE(radio.ends_with("TX0")) << radio;

  // The panel's own readout of what the other program tuned.
  ASSERT_TRUE(waitUntil([&] { return drawn(" 14.250000"); }));
  const Mark readout = mark();
  ASSERT_NO_FATAL_FAILURE(press({"f"}));
  EXPECT_EQ(saidForKey(readout), (Lines{"1", "4", "point", "2", "5", "mhz", "usb"}));
  EXPECT_EQ(station_->quit(), 0);
}

// While a reading is being said, the port answers from what the panel knows
// and its transmit commands reach the radio before the reading ends.
TEST_F(NetworkSharing, AnswersAndKeysTheRadioWhileAReadingIsSaid) {
  const std::string port = std::to_string(freeLoopbackPort());
  StationOptions options;
  options.phraseMs = 300;
  options.panelArgs = {"--rigctld", port};
  ASSERT_NO_FATAL_FAILURE(start(options));
  const Mark m = mark();
  ASSERT_TRUE(station_->press("f"));
  ASSERT_TRUE(waitUntil([&] { return !said(m).empty(); }));
  EXPECT_EQ(askWith(port, "f\nT 1\nT 0"), "7100000\nRPRT 0\nRPRT 0\n");
  ASSERT_TRUE(waitUntil([&] { return findRun(said(m), {"7", "point", "1", "mhz", "lsb"}) >= 0; }));
  const int end = traceIndex(m, "SAY wave/lsb.wav");
  const int keyed = traceIndex(m, "WRITE 3 TX1;");
  const int released = traceIndex(m, "WRITE 3 TX0;");
  EXPECT_GE(keyed, 0);
  EXPECT_GT(released, keyed);
  EXPECT_LT(released, end);
  expectSentInOrder(m, {"TX1;", "TX0;"});
  EXPECT_EQ(station_->quit(), 0);
}

// The same command lines to the panel's port and to Hamlib's rigctld for
// the FT-991 on the same emulated radio: the answers a client acts on are
// the same. Known differences, harmless to clients, are left out: the
// passband (Hamlib reads the radio's filter, the panel keeps its own width
// number), the rig information's Rig/App/Version/CRC lines, COMP (the panel
// has not read the processor level), VFO B's frequency in the rig
// information before the panel has seen it (0), and an unknown command
// (Hamlib is silent, the panel answers RPRT -4).
TEST_F(NetworkSharing, AnswersAsHamlibsRigctldDoesOnTheSameRadio) {
  const std::string panelPort = std::to_string(freeLoopbackPort());
  const std::string hamlibPort = std::to_string(freeLoopbackPort());
  StationOptions options;
  options.panelArgs = {"--rigctld", panelPort};
  ASSERT_NO_FATAL_FAILURE(start(options));
  std::string error;
  ASSERT_TRUE(startHamlib("0670", hamlibPort, error)) << error;
  const std::vector<std::string> script = {"F 14074000",
                                           "f",
                                           "M USB 2400",
                                           "m",
                                           "f m",
                                           "fmv",
                                           "+f +m",
                                           "M PKTUSB 0",
                                           "m",
                                           "M CWR 0",
                                           "m",
                                           "M RTTY 0",
                                           "m",
                                           "M PKTLSB 0",
                                           "m",
                                           "M PKTFM 0",
                                           "m",
                                           "M FMN 0",
                                           "m",
                                           "M PKTAM 0",
                                           "M USB 0",
                                           "t",
                                           "s",
                                           "l SWR",
                                           "l ALC",
                                           "l COMP_METER",
                                           "l STRENGTH",
                                           "\\get_vfo_info VFOA",
                                           "\\get_rig_info",
                                           "V VFOB",
                                           "v",
                                           "V VFOA",
                                           "v",
                                           "\\get_powerstat",
                                           "\\chk_vfo",
                                           "F 7100000 f"};
  // Only the mode name of a mode answer; only the VFO lines of the rig information.
  const auto acted = [](const std::string& line, const std::string& answer) {
    std::string kept;
    std::size_t at = 0;
    int row = 0;
    while (at < answer.size()) {
      const std::size_t end = answer.find('\n', at);
      std::string part = answer.substr(at, end - at);
      at = end == std::string::npos ? answer.size() : end + 1;
      ++row;
      if (line == "m" && row == 2) continue;
      if (line.starts_with("\\get_vfo_info") && row == 3) continue;
      if (line == "\\get_rig_info") {
        if (!part.starts_with("VFO=") && !part.starts_with("Split=")) continue;
        part = part.substr(0, part.find(part.starts_with("VFO=VFOB") ? " Freq=" : " Width="));
      }
      kept += part + "\n";
    }
    return kept;
  };
  for (const std::string& line : script) {
    const std::string ours = askWith(panelPort, line);
    const std::string theirs = askWith(hamlibPort, line);
    EXPECT_EQ(acted(line, ours), acted(line, theirs)) << line;
  }
  EXPECT_EQ(station_->quit(), 0);
}

// Hamlib's rigctld -m 2 in front of the panel, and Hamlib's Python binding:
// a digital-mode program's PKTUSB set and read back.
TEST_F(NetworkSharing, HamlibInFrontOfThePanelSetsAndReadsADataMode) {
  const std::string rigctld = findTool("rigctld");
  const std::string rigctl = findTool("rigctl");
  ASSERT_FALSE(rigctld.empty() || rigctl.empty()) << "scripts/setup installs libhamlib-utils";
  const std::string panelPort = std::to_string(freeLoopbackPort());
  const std::string frontPort = std::to_string(freeLoopbackPort());
  StationOptions options;
  options.panelArgs = {"--rigctld", panelPort};
  ASSERT_NO_FATAL_FAILURE(start(options));
  std::string error;
  auto front =
      Process::start({{rigctld, "-m", "2", "-r", "127.0.0.1:" + panelPort, "-t", frontPort},
                      {},
                      false,
                      "/dev/null",
                      "/dev/null",
                      {}},
                     error);
  ASSERT_TRUE(front) << error;
  ASSERT_TRUE(waitUntil([&] { return !askWith(frontPort, "f").empty(); }));
  RunResult set = runToEnd(
      {rigctl, "-m", "2", "-r", "127.0.0.1:" + frontPort, "M", "PKTUSB", "0", "m"}, kHangGuard);
  ASSERT_EQ(set.exitCode, 0) << set.err;
  EXPECT_EQ(set.out.substr(0, set.out.find('\n')), "PKTUSB");
  EXPECT_NE(station_->radioState().find(" MD0C "), std::string::npos) << station_->radioState();
  const std::string python = findTool("python3");
  RunResult binding = runToEnd({python, "-c",
                                "import Hamlib, sys\n"
                                "Hamlib.rig_set_debug(Hamlib.RIG_DEBUG_NONE)\n"
                                "rig = Hamlib.Rig(2)\n"
                                "rig.set_conf('rig_pathname', '127.0.0.1:" +
                                    panelPort +
                                    "')\n"
                                    "rig.open()\n"
                                    "rig.set_mode(Hamlib.RIG_MODE_PKTLSB, 0)\n"
                                    "mode, width = rig.get_mode()\n"
                                    "print(Hamlib.rig_strrmode(mode))\n"},
                               kHangGuard);
  if (binding.err.find("No module named 'Hamlib'") == std::string::npos) {
    EXPECT_EQ(binding.out, "PKTLSB\n") << binding.err;
  }
  EXPECT_EQ(station_->quit(), 0);
}

}  // namespace
}  // namespace e2e
