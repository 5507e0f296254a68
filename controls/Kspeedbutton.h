#pragma once
// TKSpeedButton: the flat image push button of every window. It draws one image of an external image
// list per state, latches in groups, answers Enter/Escape and its caption's accelerator, and in flat
// mode reports the pointer entering and leaving.
#include <functional>
#include <string>
#include <utility>

#include "gui/GraphicControl.h"
#include "gui/ImageList.h"

namespace kestrun {

enum TImageButtonState { ibsUp = 0, ibsDisabled = 1, ibsPressed = 2, ibsExclusive = 3 };
enum class ButtonLayout { GlyphLeft, GlyphRight, GlyphTop, GlyphBottom };

class TKSpeedButton : public gui::GraphicControl {
 public:
  explicit TKSpeedButton(gui::Bounds bounds = {0, 0, 75, 22});

  [[nodiscard]] gui::ImageList* Images() const { return images_; }
  void SetImages(gui::ImageList* images);  // not owned: must outlive the button or be cleared first
  [[nodiscard]] int ImageIndexIDLE() const { return imageIndex_[0]; }
  [[nodiscard]] int ImageIndexDisabled() const { return imageIndex_[1]; }
  [[nodiscard]] int ImageIndexUp() const { return imageIndex_[2]; }
  [[nodiscard]] int ImageIndexDown() const { return imageIndex_[3]; }
  void SetImageIndexIDLE(int index) { SetImageIndex(0, index); }
  void SetImageIndexDisabled(int index) { SetImageIndex(1, index); }
  void SetImageIndexUp(int index) { SetImageIndex(2, index); }
  void SetImageIndexDown(int index) { SetImageIndex(3, index); }

  [[nodiscard]] bool DrawBorderInFlatMode() const { return drawBorderInFlatMode_; }
  void SetDrawBorderInFlatMode(bool value);
  [[nodiscard]] bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  [[nodiscard]] bool Flat() const { return flat_; }
  void SetFlat(bool value);
  [[nodiscard]] int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value);
  [[nodiscard]] bool Down() const { return down_; }
  void SetDown(bool value);
  [[nodiscard]] bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value);
  [[nodiscard]] int Spacing() const { return spacing_; }
  void SetSpacing(int value);
  [[nodiscard]] ButtonLayout Layout() const { return layout_; }
  void SetLayout(ButtonLayout value);
  [[nodiscard]] int Margin() const { return margin_; }
  void SetMargin(int value);
  [[nodiscard]] bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  [[nodiscard]] bool Default() const { return default_; }
  void SetDefault(bool value) { default_ = value; }
  [[nodiscard]] const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // Painting is opaque exactly when the button is not transparent.
  [[nodiscard]] bool Opaque() const { return !transparent_; }

  [[nodiscard]] TImageButtonState State() const { return state_; }
  [[nodiscard]] bool Dragging() const { return dragging_; }
  [[nodiscard]] bool MouseInControl() const { return mouseInControl_; }

  // In flat mode: the pointer came onto the button, or left it.
  void SetOnMouseEnter(NotifyEvent onMouseEnter) { onMouseEnter_ = std::move(onMouseEnter); }
  void SetOnMouseLeave(NotifyEvent onMouseLeave) { onMouseLeave_ = std::move(onMouseLeave); }

  void UpdateExclusive();
  void UpdateTracking();

  void Paint(HDC dc) override;
  void LeftDoubleClick(gui::ShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  bool CMDialogKey(WORD key, gui::ShiftState shift) override;
  bool DialogChar(char ch) override;
  void EnabledChanged() override;
  void ButtonPressed(int groupIndex, GraphicControl& sender) override;

  // The character after a single "&" of caption, or 0.
  [[nodiscard]] static char AccelChar(const std::string& caption);

 protected:
  void MouseDown(gui::MouseButton button, gui::ShiftState shift, int x, int y) override;
  void MouseMove(gui::ShiftState shift, int x, int y) override;
  void MouseUp(gui::MouseButton button, gui::ShiftState shift, int x, int y) override;
  void CaptureCancelled() override;

 private:
  void SetImageIndex(int slot, int index);
  [[nodiscard]] bool ParentCanFocus() const;
  [[nodiscard]] bool Pressed() const { return state_ == ibsPressed || state_ == ibsExclusive; }
  int PaintFlat(HDC dc, const RECT& rect);
  void PaintContrast(HDC dc, RECT rect) const;

  gui::ImageList* images_ = nullptr;  // not owned
  int imageIndex_[4] = {-1, -1, -1, -1};  // slots: idle, disabled, up (hot), down
  bool drawBorderInFlatMode_ = false;
  bool transparent_ = true;
  bool flat_ = false;
  int groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;
  int spacing_ = 4;
  ButtonLayout layout_ = ButtonLayout::GlyphLeft;
  int margin_ = -1;
  bool cancel_ = false;
  bool default_ = false;
  std::string caption_;
  TImageButtonState state_ = ibsUp;
  bool dragging_ = false;
  bool mouseInControl_ = false;
  NotifyEvent onMouseEnter_;
  NotifyEvent onMouseLeave_;
};

}  // namespace kestrun
