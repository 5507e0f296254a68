#include "ui/Theme.h"

namespace kestrun {

gui::PanelStyle FlatPanel(COLORREF color) { return {color, gui::Bevel::None, gui::Bevel::None, 1}; }

gui::PanelStyle FramePanel(int bevelWidth) {
  return {kToolbarBlue, gui::Bevel::Raised, gui::Bevel::Lowered, bevelWidth};
}

gui::LabelStyle PlateStyle() {
  gui::LabelStyle style;
  style.color = kTileBlue;
  style.autoSize = false;
  return style;
}

gui::LabelStyle CaptionStyle(const std::string& text, int height) {
  gui::LabelStyle style;
  style.text = text;
  style.font = {"Arial", height, true};
  style.textColor = kCaptionWhite;
  style.alignment = gui::Alignment::Center;
  style.transparent = true;
  return style;
}

void BindHoverCaption(TKSpeedButton& button, gui::Label& caption, std::function<void(gui::Label&)> restoreBox) {
  auto paint = [&caption, restoreBox = std::move(restoreBox)](COLORREF colour) {
    caption.SetTextColor(colour);
    restoreBox(caption);
  };
  button.SetOnMouseEnter([paint](gui::GraphicControl&) { paint(kHoverRed); });
  button.SetOnMouseLeave([paint](gui::GraphicControl&) { paint(kCaptionWhite); });
}

void MakeBorderedButton(TKSpeedButton& button, std::function<void()> onClick) {
  button.SetFlat(true);
  button.SetDrawBorderInFlatMode(true);
  button.SetOnClick([onClick = std::move(onClick)](gui::GraphicControl&) { onClick(); });
}

}  // namespace kestrun
