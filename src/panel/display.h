// The front panel: fields drawn at fixed positions, and mode changes applied to the radio.
#pragma once

#include <string>
#include <string_view>

#include "app/panel.h"

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
inline constexpr FieldPosition kHelpLine1Field{140, 380};
inline constexpr FieldPosition kHelpLine2Field{140, 405};

inline constexpr std::string_view kHelpLine1 =
    "b=Band  f=Freq  e=Entry m=Mode  w=Filter width p=Power a=af gain r=RF gain q=Quit  "
    "s=SMeter/swr";
inline constexpr std::string_view kHelpLine2 =
    "F1=Preamp F2=Attenuator F3=Noise Blanker F4=Noise Reduction F5=Notch F6=Speech Proc.";

// Everything but the status line is drawn large.
FontSpec largeFont();
FontSpec statusFont();

// The tone field of the status line for the current tone: blanks when none is
// set or a DCS code is not in use.
std::string toneFieldText(const PanelState& state);

// Draws the mode and applies it to the radio: mode command, narrow filter,
// then the FM squelch level or the frequency and width.
void drawFrequencyPanel(Panel& panel);
void drawStatusLine(Panel& panel);

}  // namespace keldar
