#include "ui/Theme.h"

#include <initializer_list>

namespace kestrun {

gui::PanelStyle FlatPanel(COLORREF color) { return {color, gui::Bevel::None, gui::Bevel::None, 1}; }

gui::PanelStyle FramePanel(int bevelWidth) {
  return {kToolbarBlue, gui::Bevel::Raised, gui::Bevel::Lowered, bevelWidth};
}

gui::LabelStyle PlateStyle() {
  gui::LabelStyle style;
  style.color = kTileBlue;
  style.autoSize = false;
  style.pair = gui::ColorPair::Button;
  return style;
}

gui::LabelStyle CaptionStyle(const std::string& text, int height) {
  gui::LabelStyle style;
  style.text = text;
  style.font = {"Arial", height, true};  // untranslated: a font
  style.textColor = kCaptionWhite;
  style.alignment = gui::Alignment::Center;
  style.transparent = true;
  style.pair = gui::ColorPair::Button;
  return style;
}

void BindHoverCaption(TKSpeedButton& button, gui::Label& plate, gui::Label& caption,
                      std::function<void(gui::Label&)> restoreBox) {
  auto paint = [&button, &plate, &caption, restoreBox = std::move(restoreBox)](bool hot) {
    for (gui::GraphicControl* part : std::initializer_list<gui::GraphicControl*>{&button, &plate, &caption})
      part->SetPair(hot ? gui::ColorPair::Highlight : gui::ColorPair::Button);
    caption.SetTextColor(hot ? kHoverRed : kCaptionWhite);
    restoreBox(caption);
  };
  button.SetPair(gui::ColorPair::Button);
  button.SetOnMouseEnter([paint](gui::GraphicControl&) { paint(true); });
  button.SetOnMouseLeave([paint](gui::GraphicControl&) { paint(false); });
}

void MakeBorderedButton(TKSpeedButton& button, std::function<void()> onClick) {
  button.SetFlat(true);
  button.SetDrawBorderInFlatMode(true);
  button.SetOnClick([onClick = std::move(onClick)](gui::GraphicControl&) { onClick(); });
}

}  // namespace kestrun
