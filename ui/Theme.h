#pragma once
// The look every window shares: the two blues, button plates, caption labels and their hover colours.
#include <functional>
#include <string>

#include "controls/Kspeedbutton.h"
#include "gui/Label.h"
#include "gui/Panel.h"

namespace kestrun {

inline constexpr COLORREF kToolbarBlue = RGB(10, 163, 243);
inline constexpr COLORREF kTileBlue = RGB(82, 187, 244);
inline constexpr COLORREF kCaptionWhite = RGB(255, 255, 255);
inline constexpr COLORREF kHoverRed = RGB(255, 0, 0);

// A plain panel in one colour, without bevels.
gui::PanelStyle FlatPanel(COLORREF color);
// The toolbar-blue frame of the dialogs: raised outside, lowered inside.
gui::PanelStyle FramePanel(int bevelWidth);
// A tile-blue plate of fixed size: the visible face of a button.
gui::LabelStyle PlateStyle();
// White bold Arial text, centred, over whatever lies below.
gui::LabelStyle CaptionStyle(const std::string& text, int height = 11);

// The caption turns red while the pointer is over the flat button; in high contrast button, plate and
// caption take the highlight pair. A caption label fits itself to its text on every colour change, so
// restoreBox sets its box again right after, keeping the text centred.
void BindHoverCaption(TKSpeedButton& button, gui::Label& plate, gui::Label& caption,
                      std::function<void(gui::Label&)> restoreBox);

// A flat button with a one-pixel border when hot or pressed, clicking onClick.
void MakeBorderedButton(TKSpeedButton& button, std::function<void()> onClick);

}  // namespace kestrun
