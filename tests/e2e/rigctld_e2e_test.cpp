// Hamlib's own network client (rigctl -m 2) sharing the radio through the
// running panel's --rigctld port, the emulated radio on the panel's port.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "acceptance.h"

namespace e2e {
namespace {

// A port nothing listens on just now.
int freePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof at;
  ::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size);
  ::close(fd);
  return ntohs(at.sin_port);
}

class NetworkSharing : public Acceptance {};

TEST_F(NetworkSharing, RigctlSetsFrequencyModePttAndSplitAndThePanelFollows) {
  const std::string rigctl = findTool("rigctl");
  ASSERT_FALSE(rigctl.empty())
      << "rigctl is not installed (scripts/setup installs libhamlib-utils)";
  const std::string port = std::to_string(freePort());
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

}  // namespace
}  // namespace e2e
