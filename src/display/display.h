// The front panel: fields drawn at fixed positions. Drawing sends nothing.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/panel.h"

namespace keldar {

// Where each field of the panel is drawn, in pixels from the top left. A field
// is redrawn by moving there and printing a text padded with blanks to cover
// the longest text it may have shown.
struct FieldPosition {
  int x;
  int y;
};
inline constexpr FieldPosition kBannerField{280, 10};
inline constexpr FieldPosition kModeField{50, 45};
inline constexpr FieldPosition kSMeterField{750, 45};
inline constexpr FieldPosition kVfoMarkField{80, 150};
inline constexpr FieldPosition kFrequencyField{285, 150};
inline constexpr int kStatusLineY = 250;
// While the transmitter is keyed: the marker between mode and S-meter, and
// the SWR and power (status font) where the S-meter stands.
inline constexpr FieldPosition kTxMarkerField{450, 45};
inline constexpr FieldPosition kSwrField{750, 48};
inline constexpr FieldPosition kPowerField{750, 84};
// The entry being typed (frequency, menu, tone, channel), in the status font.
inline constexpr FieldPosition kEntryField{50, 292};
// The key help: one line each from kHelpLinesTop down, in the help font.
inline constexpr int kHelpLinesX = 20;
inline constexpr int kHelpLinesTop = 332;
inline constexpr int kHelpLineStep = 24;
inline constexpr std::array<std::string_view, 6> kHelpLines = {
    "b=Band f=Freq e=Entry m=Mode w=Width p=Power a=AF gain r=RF gain l=Level",
    "s=S-meter/SWR o=Options h=Help t=Tune space=Transmit v=Split i=Tone q=Quit",
    "n=Menu c=Store chan g=Recall chan u=Next chan k=Key speed z=Zero x=Extended",
    "F1=Preamp F2=Attenuator F3=Noise blanker F4=Noise reduction F5=Notch",
    "F6=Contour F7=Speech processor F8=Break-in/VOX F9=Monitor F10=Resend freq",
    "F11=Mic gain/ALC F12=Antenna tuner d=C4FM",
};
inline constexpr int kTxFieldChars = 4;
inline constexpr int kMeterFieldChars = 9;
inline constexpr int kEntryFieldChars = 24;

// Everything but the status line, the meters in transmit, the entry and the
// help is drawn large.
FontSpec largeFont();
FontSpec statusFont();
// 15 points: 20 pixels high at 96 dpi, and the longest help line fits.
FontSpec helpFont();

// The frequency field's text: ' 14.250000' from "014250000", leading zeros
// blank.
std::string frequencyFieldText(std::string_view nineDigits);

// The tone field of the status line for the current tone: blanks when none is
// set or a DCS code is not in use.
std::string toneFieldText(const PanelState& state);

// One of the panel's seven modes (a damaged band record can carry any digit).
bool panelModeKnown(int32_t modeIndex);
// The width follows the mode: the sideband or CW width the panel keeps.
void takeOverModeWidth(PanelState& s);
// The mode field's text; empty for a mode the panel does not know.
std::string_view modeFieldText(const PanelState& s);
// Draws the mode the panel holds, and the status line, sending nothing: the
// radio is already in it.
void drawModeField(Panel& panel);
void drawStatusLine(Panel& panel);

// The help lines, drawn once at start-up.
void drawHelpLines(Panel& panel);
// Keyed by the space key, a tune, the relay or a network client.
bool transmitterKeyed(const PanelState& state);
// The transmit marker and, while keyed, the SWR and power in place of the
// S-meter; nothing is drawn while receiving unless the marker is to go.
void drawTransmitFields(Panel& panel);
// After a key: the entry as typed so far while one is open (the key's own
// character joins it), and the field cleared once it ends. A repeating
// key adds nothing.
void noteEntryKey(Panel& panel, bool repeat);
void drawEntryField(Panel& panel);

}  // namespace keldar
