// CAT exchange: framing, sending, reading and reply fields.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/debug_log.h"
#include "core/panel.h"

namespace keldar {

// Sends commandText as one command: FA becomes FB while VFO B works, ";" is
// added, a frequency setting is remembered in lastFrequencyCommand, eight-digit
// radios get the eight-digit form, one write, a "TX=" line. A frequency that
// an eight-digit radio cannot take (its dropped digit is not "0") is not
// written: a "TX!=" line notes it and "invalid" is spoken.
// Until a device just opened under the radio's port has answered as a radio
// (deviceUnproven), only "ID;" and an unkeying are written to it: the
// command is then noted in the log and not written, and the set-up brings the
// radio to the panel's state once it answers. False when it was not written.
bool sendCommand(Panel& panel);
// The same for a command of `setter`'s: a refusal of the other program's
// setting (Asker::kRelay) is passed back to it rather than spoken.
bool sendCommand(Panel& panel, Asker setter);
// An eight-digit radio's frequency answer widened to nine digits:
// "FA14250000;" -> "FA014250000;". Other answers are returned as they are.
std::string widenedFrequencyReply(const PanelState& state, std::string_view reply);

// Reply fields: the text of `length` characters at position p + offset,
// where p is the 1-based position of the first `mnemonic` in the reply.
// Nothing when the mnemonic is absent or the reply ends before the field is
// complete (a cut reply never yields a shortened value). A negative length
// takes the rest of the reply.
std::optional<std::string> replyField(std::string_view reply, std::string_view mnemonic,
                                      long offset, long length);
// The field as a number; nothing also when it holds anything but digits, so
// that garbage or two replies run together never become a value.
std::optional<int32_t> replyNumber(std::string_view reply, std::string_view mnemonic, long offset,
                                   long length);

// "FA"/"FB" + the frequency in Hz as nine digits ("FA000500000" for 500 kHz).
// Values outside 0..999999999 keep their last nine digits; negatives give 0.
std::string frequencyCommand(std::string_view mnemonic, int64_t hertz);

}  // namespace keldar
