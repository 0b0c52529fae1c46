// The built panel against radios nobody here wrote: Hamlib's public Yaesu
// simulators (they live beside the clone, in ../shared/peers), and Hamlib's
// own client reading back what the panel did. Split is switched in each
// model's own dialect, so the radio's split is what rigctl then reads.
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include <gtest/gtest.h>

#include "station.h"

namespace e2e {
namespace {
namespace fs = std::filesystem;

fs::path simulatorSources() {
  return fs::path(KELDAR_SOURCE_DIR) / ".." / "shared" / "peers" / "hamlib-simulators";
}

class OutsideRadio : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(simulatorSources() / "build")) {
      GTEST_SKIP() << "Hamlib's simulators are not at " << simulatorSources().string()
                   << " (../shared/peers/hamlib-simulators beside the clone): skipped";
    }
    rigctl_ = findTool("rigctl");
    stdbuf_ = findTool("stdbuf");
    const std::string bash = findTool("bash");
    if (rigctl_.empty() || stdbuf_.empty() || bash.empty() || findTool("gcc").empty()) {
      GTEST_SKIP() << "rigctl, stdbuf or gcc is missing (scripts/setup installs them): skipped";
    }
    // Built into the build tree, never into the read-only shared folder.
    const RunResult built = runToEnd(
        {bash, (simulatorSources() / "build").string(), simulators_.string()}, Millis(120000));
    ASSERT_EQ(built.exitCode, 0) << built.out << built.err;
  }

  void TearDown() override {
    if (HasFailure() && station_) std::cout << station_->report();
  }

  // The panel on the simulator until "connected"; `keys` typed; then ended.
  void runPanel(const std::string& keys, const std::string& lastWrite) {
    if (!station_) {
      StationOptions options;
      options.outsideRadio = {stdbuf_, "-oL", (simulators_ / simulator_).string()};
      station_ = std::make_unique<Station>(options);
      ASSERT_TRUE(station_->start()) << station_->error();
    } else {
      ASSERT_TRUE(station_->restartPanel()) << station_->error();
    }
    // Keys once the panel polls again after "connected".
    ASSERT_TRUE(waitUntil([&] { return answeredAfter("SAY wave/connected.wav"); }))
        << "never connected";
    ASSERT_TRUE(station_->press(keys));
    ASSERT_TRUE(station_->waitForTrace("WRITE 3 " + lastWrite)) << lastWrite << " never sent";
    // The radio answers in order: an answer read after the command means it
    // has taken the command before the panel lets go of the port.
    ASSERT_TRUE(waitUntil([&] { return answeredAfter("WRITE 3 " + lastWrite); }))
        << "no answer after " << lastWrite;
    EXPECT_EQ(station_->stopPanel(SIGTERM), 0);
  }

  // True when the trace shows `line` and an answer read after it.
  bool answeredAfter(const std::string& line) const {
    const auto lines = station_->traceLines();
    auto at = std::find(lines.begin(), lines.end(), line);
    return std::any_of(at, lines.end(),
                       [](const std::string& l) { return l.starts_with("READ 3 "); });
  }

  // Split and the transmit VFO as Hamlib's own driver of the model reads them
  // from the radio: "1 VFOB".
  std::string splitAsRigctlReadsIt(const std::string& model) {
    const RunResult read =
        runToEnd({rigctl_, "-m", model, "-r", station_->outsideDevice(), "s"}, kHangGuard);
    EXPECT_EQ(read.exitCode, 0) << read.err;
    std::string text = read.out;
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text.substr(0, text.find_last_not_of(' ') + 1);
  }

  // Off is judged by the transmit VFO alone: Hamlib 4.5's FT-710 driver
  // reports split "1" with VFO A transmitting once FT0 has been set.
  void splitOnAndOff(const std::string& simulator, const std::string& model, const std::string& on,
                     const std::string& off, const std::string& onRead, const std::string& offVfo) {
    simulator_ = simulator;
    ASSERT_NO_FATAL_FAILURE(runPanel("v", on));
    EXPECT_EQ(splitAsRigctlReadsIt(model), onRead) << simulator << " after " << on;
    // A new run starts with split off in the panel: on, then off again.
    ASSERT_NO_FATAL_FAILURE(runPanel("vv", off));
    const std::string read = splitAsRigctlReadsIt(model);
    EXPECT_TRUE(read.ends_with(" " + offVfo)) << simulator << " after " << off << ": " << read;
  }

  fs::path simulators_ = fs::path(KELDAR_BUILD_DIR) / "hamlib-simulators";
  std::string simulator_;
  std::string rigctl_;
  std::string stdbuf_;
  std::unique_ptr<Station> station_;
};

// rigctl -l: 1049 is the FT-710, 1040 the FTDX-101D.
TEST_F(OutsideRadio, SplitOnTheFt710IsFt1AndFt0) {
  splitOnAndOff("simft710", "1049", "FT1;", "FT0;", "1 VFOB", "VFOA");
}

TEST_F(OutsideRadio, SplitOnTheFtdx101dIsItsOwnSwitch) {
  splitOnAndOff("simftdx101", "1040", "ST1;", "ST0;", "1 Sub", "Main");
}

}  // namespace
}  // namespace e2e
