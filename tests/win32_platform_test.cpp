// The Windows platform parts on the real system calls (under Wine in CI).
// Before windows.h, which would otherwise bring the old Winsock.
#include <windows.h>
#include <winsock2.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock_win32.h"
#include "platform/files_win32.h"
#include "platform/net_win32.h"
#include "platform/program_location.h"
#include "platform/serial_win32.h"
#include "platform/sound_win32.h"
#include "platform/tcp_radio.h"
#include "platform/window_win32.h"
#include "support/scenario.h"

namespace keldar {
namespace {

std::string contentOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(Win32Files, DurableReplaceTakesTheNewContentOrLeavesTheOld) {
  testing::TempDir dir;
  const std::string final = dir.path() + "/savmem.dat";
  const std::string temp = dir.path() + "/savmem.dat.new";
  Win32FileSystem files;
  writeText(final, "old");
  writeText(temp, "new");
  ASSERT_TRUE(files.replaceFileDurably(temp, final));
  EXPECT_EQ(contentOf(final), "new");
  EXPECT_EQ(GetFileAttributesA(temp.c_str()), INVALID_FILE_ATTRIBUTES);
  // No new file: nothing changes.
  EXPECT_FALSE(files.replaceFileDurably(temp, final));
  EXPECT_EQ(contentOf(final), "new");
  // A target that cannot be replaced (a folder): the old stays, the new goes.
  const std::string folder = dir.path() + "/folder";
  ASSERT_NE(CreateDirectoryA(folder.c_str(), nullptr), 0);
  writeText(temp, "newer");
  EXPECT_FALSE(files.replaceFileDurably(temp, folder));
  EXPECT_EQ(GetFileAttributesA(temp.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(Win32Serial, PortsThatDoNotOpenAreReportedAndDoNothing) {
  Win32SerialPorts ports;
  std::vector<std::string> reports;
  ports.setReporter([&reports](const std::string& m) { reports.push_back(m); });
  EXPECT_EQ(ports.openPort(0, 38400), 0);  // "no port": not a mistake
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(ports.openPort(257, 38400), 0);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "port 257: outside 1..256, nothing opened");
  EXPECT_EQ(ports.openPort(199, 38400), 0);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1].rfind("port 199 (COM199): cannot open: ", 0), 0u) << reports[1];
  // Retried every second while the radio is missing: said once, until the
  // reason changes.
  for (int retry = 0; retry < 10; ++retry) EXPECT_EQ(ports.openPort(199, 38400), 0);
  EXPECT_EQ(reports.size(), 2u);
  EXPECT_EQ(ports.openPort(199, 12345678), 0);
  EXPECT_EQ(reports.size(), 2u) << "the same reason again";
  EXPECT_EQ(Win32SerialPorts::devicePath(12), "\\\\.\\COM12");
  char buffer[8];
  EXPECT_FALSE(ports.isOpen(199));
  EXPECT_EQ(ports.bytesWaiting(199), 0);
  EXPECT_EQ(ports.readPort(199, buffer, sizeof buffer), 0);
  EXPECT_EQ(ports.writePort(199, "FA;", 3), 0);
  EXPECT_EQ(ports.setLineFormat(199, 8, 0, 2), 0);
  EXPECT_FALSE(ports.portLost(199));
  ports.closePort(199);
  bool open = true;
  EXPECT_FALSE(ports.inputWaiting(open));
  EXPECT_FALSE(open) << "no port is open to look at";
}

int portOf(const std::string& bound) {
  return std::stoi(bound.substr(bound.rfind(':') + 1));
}

// Polls until the server reports something of this kind; the activity seen.
std::vector<NetworkActivity> until(Win32NetworkServer& server, NetworkActivity::Kind kind) {
  std::vector<NetworkActivity> seen;
  for (int round = 0; round < 100; ++round) {
    WaitForSingleObject(server.waitEvent(), 100);
    server.poll(seen);
    for (const NetworkActivity& a : seen) {
      if (a.kind == kind) return seen;
    }
  }
  return seen;
}

TEST(Win32Network, ListensWhereAskedAndRefusesAPortInUse) {
  std::string error;
  Win32NetworkServer loopback;
  ASSERT_TRUE(loopback.listen("127.0.0.1", 0, error)) << error;
  EXPECT_EQ(loopback.boundAddress().rfind("127.0.0.1:", 0), 0u) << loopback.boundAddress();
  EXPECT_TRUE(loopback.loopbackOnly());
  Win32NetworkServer six;
  ASSERT_TRUE(six.listen("::1", 0, error)) << error;
  EXPECT_EQ(six.boundAddress().rfind("[::1]:", 0), 0u) << six.boundAddress();
  EXPECT_TRUE(six.loopbackOnly());
  Win32NetworkServer everywhere;
  ASSERT_TRUE(everywhere.listen("0.0.0.0", 0, error)) << error;
  EXPECT_FALSE(everywhere.loopbackOnly());
  Win32NetworkServer taken;
  EXPECT_FALSE(taken.listen("127.0.0.1", portOf(loopback.boundAddress()), error));
  EXPECT_NE(error, "");
  Win32NetworkServer nowhere;
  EXPECT_FALSE(nowhere.listen("no-such-host.invalid", 0, error));
  EXPECT_EQ(error.rfind("unknown address: ", 0), 0u) << error;
}

// A plain blocking client, as a logger would connect.
SOCKET clientOf(const std::string& bound) {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<u_short>(portOf(bound)));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
  return s;
}

TEST(Win32Network, AClientsLineSignalsTheEventAndItsAnswerGoesAfterItEnded) {
  Win32NetworkServer server;
  std::string error;
  ASSERT_TRUE(server.listen("127.0.0.1", 0, error)) << error;
  const SOCKET peer = clientOf(server.boundAddress());
  std::vector<NetworkActivity> seen = until(server, NetworkActivity::Kind::kConnected);
  ASSERT_FALSE(seen.empty());
  const int id = seen.back().client;
  EXPECT_EQ(seen.back().bytes.rfind("127.0.0.1:", 0), 0u) << seen.back().bytes;
  // Signals of the connection itself are taken first: the next is the line's.
  while (WaitForSingleObject(server.waitEvent(), 200) == WAIT_OBJECT_0) server.poll(seen);

  ASSERT_EQ(send(peer, "f\n", 2, 0), 2);
  EXPECT_EQ(WaitForSingleObject(server.waitEvent(), 10000), WAIT_OBJECT_0);
  shutdown(peer, SD_SEND);  // sent all it will: the answer must still come
  seen = until(server, NetworkActivity::Kind::kClosed);
  std::string received;
  for (const NetworkActivity& a : seen) {
    if (a.kind == NetworkActivity::Kind::kReceived) received += a.bytes;
  }
  EXPECT_EQ(received, "f\n");
  server.send(id, "14250000\n");
  server.drop(id);
  std::string answer;
  char buffer[32];
  for (int n; (n = recv(peer, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, n);
  EXPECT_EQ(answer, "14250000\n");
  closesocket(peer);
}

// The radio's slot goes to a TCP server (here the network server, as a
// serial-over-network box), every other slot to the serial ports.
TEST(Win32TcpRadio, CarriesTheRadiosBytesAndTheServersEndIsALostPort) {
  auto box = std::make_unique<Win32NetworkServer>();
  std::string error;
  ASSERT_TRUE(box->listen("127.0.0.1", 0, error)) << error;
  const std::string where = "tcp:" + box->boundAddress();
  Win32SerialPorts serial;
  serial.setReporter([](const std::string&) {});
  TcpRadioPorts ports(
      serial, [] { return 3; }, [&where] { return where; });
  EXPECT_EQ(ports.openPort(199, 38400), 0) << "not the radio's slot: a serial port";
  ASSERT_EQ(ports.openPort(3, 38400), 1);
  EXPECT_EQ(ports.setLineFormat(3, 8, 0, 1), 1);
  std::vector<NetworkActivity> seen = until(*box, NetworkActivity::Kind::kConnected);
  ASSERT_FALSE(seen.empty());
  const int id = seen.back().client;
  // Nothing goes until the connection is made.
  int written = 0;
  for (int i = 0; i < 500 && written == 0; ++i, Sleep(10)) written = ports.writePort(3, "FA;", 3);
  ASSERT_EQ(written, 3);
  seen = until(*box, NetworkActivity::Kind::kReceived);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().bytes, "FA;");

  box->send(id, "FA014250000;");
  for (int i = 0; i < 500 && ports.bytesWaiting(3) < 12; ++i) Sleep(10);
  char answer[32] = {};
  ASSERT_EQ(ports.readPort(3, answer, sizeof answer), 12);
  EXPECT_EQ(std::string(answer), "FA014250000;");
  EXPECT_FALSE(ports.portLost(3));
  box->drop(id);
  for (int i = 0; i < 500 && !ports.portLost(3); ++i, Sleep(10)) ports.bytesWaiting(3);
  EXPECT_TRUE(ports.portLost(3));
  ports.closePort(3);
  EXPECT_FALSE(ports.portLost(3));

  // Nobody listens there any more: the connection fails, a lost port too.
  box.reset();
  ASSERT_EQ(ports.openPort(3, 38400), 1);
  for (int i = 0; i < 500 && !ports.portLost(3); ++i) Sleep(10);
  EXPECT_TRUE(ports.portLost(3));
}

// A WAV of silence of the given length at the device's rate.
std::string silentWave(const std::string& path, int ms) {
  const uint32_t bytes = static_cast<uint32_t>(WaveOutSound::kRate / 1000 * ms * 2);
  std::string image = "RIFF....WAVEfmt ";
  const auto put = [&image](uint32_t v, int size) {
    for (int i = 0; i < size; ++i) image += static_cast<char>((v >> (8 * i)) & 0xff);
  };
  put(16, 4);
  put(1, 2);
  put(1, 2);
  put(WaveOutSound::kRate, 4);
  put(WaveOutSound::kRate * 2, 4);
  put(2, 2);
  put(16, 2);
  image += "data";
  put(bytes, 4);
  image.append(bytes, '\0');
  writeText(path, image);
  return path;
}

double msOf(const std::function<void()>& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// Queued phrases never hold the caller, take their time to play (device or
// not: the same pace), and begin one after another; a missing one takes
// none and stop() ends them all.
TEST(Win32Sound, PhrasesQueueTakeTheirTimeAndAMissingOneNone) {
  testing::TempDir dir;
  WaveOutSound sound;
  sound.open();
  const std::string phrase = silentWave(dir.path() + "/quiet.wav", 300);
  const double queued = msOf([&] {
    for (int i = 0; i < 3; ++i) sound.queueFile(phrase);
    sound.queueFile(dir.path() + "/none.wav");
  });
  EXPECT_LT(queued, 200);
  // The first begins as soon as the device (or the silent clock) moves.
  for (int i = 0; i < 40 && sound.startedCount() == 0; ++i) Sleep(5);
  EXPECT_GE(sound.startedCount(), 1u);
  EXPECT_EQ(sound.unfinishedCount(), 3);
  const double played = msOf([&] {
    while (sound.unfinishedCount() > 0) Sleep(5);
  });
  EXPECT_GE(played, 900 - queued - 60);
  EXPECT_EQ(sound.startedCount(), 4u);
  sound.queueFile(phrase);
  sound.stop();
  EXPECT_EQ(sound.unfinishedCount(), 0);
}

TEST(Win32Clock, TicksCountUpAcrossAWait) {
  Win32Clock clock;
  const uint32_t before = clock.tickMs();
  clock.waitMs(30);
  EXPECT_GE(clock.tickMs() - before, 25u);
  const LocalTime now = clock.localTime();
  EXPECT_GE(now.year, 2020);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31);
}

TEST(Win32Location, TheProgramsFolderHoldsTheProgram) {
  const std::string dir = executableDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), '\\');
  EXPECT_NE(GetFileAttributesA((dir + "\\keldar_tests.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

class Collect : public EventSink {
 public:
  void onEvent(int32_t message, int32_t wparam) override { events.push_back({message, wparam}); }
  std::vector<std::pair<int32_t, int32_t>> events;
};

constexpr char kTitle[] = "keldar window test";

TEST(Win32Window, DrawsKeepsKeysTicksAndLeavesClosingToThePanel) {
  Win32Window window;
  if (!window.openWindow(kTitle, 250, 100, 950, 500)) GTEST_SKIP() << "no display";
  const HWND handle = FindWindowA("KeldarPanelWindow", kTitle);
  ASSERT_NE(handle, nullptr);
  // The client area is the layout's size, as in the SDL window, and the
  // frame lets it be resized.
  RECT client{};
  GetClientRect(handle, &client);
  EXPECT_EQ(client.right - client.left, 950);
  EXPECT_EQ(client.bottom - client.top, 500);
  EXPECT_NE(GetWindowLongA(handle, GWL_STYLE) & WS_THICKFRAME, 0);

  // Texts follow on where the last ended; blanks over them erase them.
  window.setFont(FontSpec{"Ariel", 24, 700, 0});
  window.moveTextPosition(10, 10);
  window.printText("WWW");
  window.printText("\r\n");  // draws nothing, moves nothing
  window.printText("WWW");
  const auto inkIn = [&window](int x0, int x1) {
    for (int x = x0; x < x1; ++x) {
      for (int y = 10; y < 40; ++y) {
        if (window.pixelAt(x, y) == 0) return true;
      }
    }
    return false;
  };
  ASSERT_TRUE(inkIn(10, 60));
  // Monospaced: six blanks are as wide as the six letters.
  EXPECT_TRUE(inkIn(60, 200));
  window.moveTextPosition(10, 10);
  window.printText("      ");
  EXPECT_FALSE(inkIn(10, 300));
  window.flushDrawing();

  // Twice the size: what is shown is drawn again twice as large.
  window.moveTextPosition(10, 10);
  window.printText("WWW");
  ASSERT_FALSE(inkIn(80, 140));
  RECT frame{0, 0, 1900, 1000};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(handle, GWL_STYLE)), FALSE, 0);
  SetWindowPos(handle, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER);
  GetClientRect(handle, &client);
  if (client.right == 1900 && client.bottom == 1000) {
    bool farInk = false;
    for (int x = 90; x < 130 && !farInk; ++x) {
      for (int y = 20; y < 80 && !farInk; ++y) farInk = window.pixelAt(x, y) == 0;
    }
    EXPECT_TRUE(farInk) << "the letters reach twice as far";
  }
  window.moveTextPosition(10, 10);
  window.printText("      ");

  // Keys arrive as the messages' virtual-key codes, modifiers alone not at
  // all (Shift and A are one key); the close box asks, and the window stays
  // until the panel closes it.
  for (WPARAM modifier : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_CAPITAL, VK_LWIN, VK_RMENU}) {
    PostMessageA(handle, WM_KEYDOWN, modifier, 0);
    PostMessageA(handle, WM_KEYUP, modifier, 0xC0000001);
  }
  PostMessageA(handle, WM_SYSKEYDOWN, VK_MENU, 0);
  PostMessageA(handle, WM_KEYDOWN, VK_F3, 0);
  PostMessageA(handle, WM_KEYUP, VK_F3, 0xC0000001);
  PostMessageA(handle, WM_SYSKEYDOWN, VK_F10, 0);
  PostMessageA(handle, WM_CLOSE, 0, 0);
  Collect sink;
  window.waitForEvents(sink, false);
  const std::vector<std::pair<int32_t, int32_t>> expected{{kKeyDownEvent, VK_F3},
                                                          {kKeyUpEvent, VK_F3},
                                                          {kKeyDownEvent, VK_F10},
                                                          {kCloseRequestEvent, 0}};
  EXPECT_EQ(sink.events, expected);
  EXPECT_NE(IsWindow(handle), 0);

  // Ticks missed while the panel was busy merge into one.
  window.startTimer(50, 1);
  Sleep(300);
  sink.events.clear();
  window.waitForEvents(sink, true);
  EXPECT_EQ(sink.events, (std::vector<std::pair<int32_t, int32_t>>{{kTimerEvent, 1}}));
  sink.events.clear();
  window.waitForEvents(sink, false);  // blocks until the next point
  EXPECT_EQ(sink.events, (std::vector<std::pair<int32_t, int32_t>>{{kTimerEvent, 1}}));

  // Watched input ends the wait before the next point: a signalled event
  // (the network server's), or a look (at the serial ports) that finds
  // bytes on its third try. Looks that find nothing leave the tick its time.
  const HANDLE signalled = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  int looks = 0;
  int readableAt = 3;
  window.watchReadable([signalled] { return std::vector<void*>{signalled}; },
                       [&looks, &readableAt] {
                         return ++looks == readableAt ? Win32Wait::Look::kReadable
                                                      : Win32Wait::Look::kNothingYet;
                       });
  SetEvent(signalled);
  sink.events.clear();
  window.waitForEvents(sink, false);
  ASSERT_FALSE(sink.events.empty());
  EXPECT_EQ(sink.events.front(), (std::pair<int32_t, int32_t>{kNetworkEvent, 0}));
  EXPECT_EQ(looks, 1);
  sink.events.clear();
  window.waitForEvents(sink, false);
  ASSERT_FALSE(sink.events.empty());
  EXPECT_EQ(sink.events.front(), (std::pair<int32_t, int32_t>{kNetworkEvent, 0}));
  EXPECT_EQ(looks, 3) << "looked again while nothing was there yet";
  readableAt = 0;
  window.startTimer(50, 1);  // a whole period to look in
  sink.events.clear();
  window.waitForEvents(sink, false);
  EXPECT_EQ(sink.events, (std::vector<std::pair<int32_t, int32_t>>{{kTimerEvent, 1}}));
  EXPECT_GE(looks, 5) << "a few looks, each a short wait, before the point";
  window.watchReadable({}, {});
  CloseHandle(signalled);

  window.closeWindow();
  EXPECT_EQ(IsWindow(handle), 0);
  sink.events.clear();
  window.waitForEvents(sink, false);  // nothing can come: the loop ends
  EXPECT_EQ(sink.events, (std::vector<std::pair<int32_t, int32_t>>{{kCloseRequestEvent, 0}}));
}

TEST(Win32Window, AFaceThatIsNotInstalledGivesAMonospacedOne) {
  EXPECT_NE(Win32Window::faceFor("No Such Face Keldar"), "No Such Face Keldar");
}

}  // namespace
}  // namespace keldar
