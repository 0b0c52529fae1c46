#include "bench_support.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace bench {

double millisBetween(Steady::time_point a, Steady::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

TraceFeed::TraceFeed(const std::filesystem::path& fifo) : fifo_(fifo) {
  thread_ = std::thread([this] { readAll(); });
}

TraceFeed::~TraceFeed() {
  // A panel that never opened its end must not keep the reader waiting.
  const int fd = open(fifo_.c_str(), O_WRONLY | O_NONBLOCK);
  if (fd >= 0) close(fd);
  if (thread_.joinable()) thread_.join();
}

std::vector<TraceFeed::Line> TraceFeed::since(size_t from) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (from >= lines_.size()) return {};
  return {lines_.begin() + static_cast<long>(from), lines_.end()};
}

size_t TraceFeed::count() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_.size();
}

std::optional<TraceFeed::Line> TraceFeed::waitFor(
    size_t from, const std::function<bool(const std::string&)>& match, e2e::Millis limit) {
  const auto deadline = Steady::now() + limit;
  for (;;) {
    for (const Line& line : since(from)) {
      if (match(line.text)) return line;
    }
    from = std::max(from, count());
    if (Steady::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
}

void TraceFeed::readAll() {
  const int fd = open(fifo_.c_str(), O_RDONLY);  // waits for the panel
  if (fd < 0) return;
  std::string pending;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    const auto now = Steady::now();
    pending.append(buffer, static_cast<size_t>(n));
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      const size_t space = line.find(' ');
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back({now, space == std::string::npos ? line : line.substr(space + 1)});
    }
  }
  close(fd);
}

Spread spreadOf(std::vector<double> values) {
  Spread out;
  if (values.empty()) return out;
  std::sort(values.begin(), values.end());
  double sum = 0;
  for (double v : values) sum += v;
  out.count = values.size();
  out.median = values[values.size() / 2];
  out.mean = sum / static_cast<double>(values.size());
  out.worst = values.back();
  return out;
}

double median(const std::vector<double>& values) {
  return values.empty() ? -1 : spreadOf(values).median;
}

void printSpread(const char* what, const std::vector<double>& milliseconds) {
  if (milliseconds.empty()) {
    std::printf("%s: no samples\n", what);
    return;
  }
  const Spread s = spreadOf(milliseconds);
  std::printf("%s: %zu samples, median %.3f ms, mean %.3f ms, worst %.3f ms\n", what, s.count,
              s.median, s.mean, s.worst);
}

LineClient::LineClient(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int on = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  ok_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
}

LineClient::~LineClient() {
  ::close(fd_);
}

double LineClient::time(const std::string& line, int answerLines, std::string* answer) {
  const auto start = Steady::now();
  if (::send(fd_, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) {
    return -1;
  }
  int seen = 0;
  while (seen < answerLines) {
    char c = 0;
    if (::recv(fd_, &c, 1, 0) != 1) return -1;
    if (answer != nullptr) *answer += c;
    if (c == '\n') ++seen;
  }
  return std::chrono::duration<double>(Steady::now() - start).count();
}

}  // namespace bench
