// Keys as a terminal (xterm) sends them, turned into the virtual-key codes
// the panel's key handler uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keldar {

class KeyDecoder {
 public:
  // Ctrl-C: a close request, not a key.
  static constexpr int32_t kClose = -1;

  // Appends one entry per complete key: its code, or kClose. Bytes without a
  // code are dropped; an unfinished escape sequence is held for the next feed.
  void feed(std::string_view bytes, std::vector<int32_t>& keys);
  // True while an escape sequence is unfinished.
  bool holding() const { return !held_.empty(); }
  // Nothing followed in time: a lone ESC (or a cut-off sequence) is no key.
  void dropHeld() {
    held_.clear();
    tooLong_ = false;
  }

 private:
  void plainByte(char c, std::vector<int32_t>& keys);
  void escapeByte(char c, std::vector<int32_t>& keys);

  std::string held_;
  bool tooLong_ = false;  // the held sequence is longer than any of ours
  bool afterCr_ = false;
};

// The code of a single byte key, 0 when it has none.
int32_t plainKeyCode(char c);
// The code of a CSI sequence's parameters and final byte, 0 when it has none.
int32_t csiKeyCode(std::string_view parameters, char final);

}  // namespace keldar
