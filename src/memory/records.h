// The fixed-position texts of memory channels and band states, and the checks
// that tell a well-formed record from a damaged one. Any code that builds or
// reads records by position can use these before trusting a text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace keldar {

// Channel record, 28 characters:
//   1 kind "0" plain, "1" split, "5" repeater     2 mode "1".."7"
//   3-4 band "01".."14"                            5-14 "A" and nine digits
//   15-24 "B" and nine digits; kind "5": "B", "+" or "-", eight digits (offset in kHz)
//   25-27 tone code, three digits ("999" none)     28 preamp digit
// The one-character text "9" is an empty slot.
constexpr std::size_t kMemoryRecordLength = 28;
// Band record, 26 characters: the same fields without the band number
// (kind, mode, "A" part at 3-12, "B" part at 13-22, tone 23-25, preamp 26).
constexpr std::size_t kBandRecordLength = 26;
inline constexpr std::string_view kEmptyChannel = "9";

// A 28-character channel record with every field in its layout.
bool isMemoryRecord(std::string_view text);
// A 26-character band record with every field in its layout.
bool isBandRecord(std::string_view text);
// Whether a channel slot counts as empty: its first character is "9".
bool isEmptyChannel(std::string_view text);

// The channel a stored line stands for: the line itself when it is "9" or a
// well-formed record, otherwise "9" (a damaged record must never reach the
// radio).
std::string channelFromLine(std::string_view line);

// The band record a stored line stands for (row 1..14): the line itself when
// well-formed; else, when its first 12 characters (kind, mode, "A" and nine
// digits) are sound, those with "B" and the same nine digits, tone "999" and
// preamp "0" (a repeater record gets "B+00000000" instead, its offset being
// lost); otherwise the default row.
std::string bandRecordFromLine(std::string_view line, int row);

}  // namespace keldar
