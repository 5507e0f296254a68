#include "controls/Kspeedbutton.h"

#include <cctype>

#include "gui/ControlHost.h"
#include "gui/Dpi.h"
#include "gui/Gdi.h"

namespace kestrun {

using gui::MouseButton;
using gui::ShiftState;

TKSpeedButton::TKSpeedButton(gui::Bounds bounds) : GraphicControl(bounds) {}

void TKSpeedButton::SetImages(gui::ImageList* images) {
  images_ = images;
  Invalidate();
}

void TKSpeedButton::SetImageIndex(int slot, int index) {
  imageIndex_[slot] = index;
  Invalidate();
}

void TKSpeedButton::SetDrawBorderInFlatMode(bool value) {
  drawBorderInFlatMode_ = value;
  Invalidate();
}

void TKSpeedButton::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Invalidate();
}

void TKSpeedButton::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  Invalidate();
}

void TKSpeedButton::SetGroupIndex(int value) {
  if (value == groupIndex_) return;
  groupIndex_ = value;
  UpdateExclusive();
}

void TKSpeedButton::SetAllowAllUp(bool value) {
  if (value == allowAllUp_) return;
  allowAllUp_ = value;
  UpdateExclusive();
}

void TKSpeedButton::SetSpacing(int value) {
  if (value == spacing_) return;
  spacing_ = value;
  Invalidate();
}

void TKSpeedButton::SetLayout(ButtonLayout value) {
  if (value == layout_) return;
  layout_ = value;
  Invalidate();
}

void TKSpeedButton::SetMargin(int value) {
  if (value == margin_ || value < -1) return;
  margin_ = value;
  Invalidate();
}

void TKSpeedButton::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Invalidate();
}

// A latched button of a group is released only by a sibling, unless the group allows all up.
void TKSpeedButton::SetDown(bool value) {
  if (groupIndex_ == 0) value = false;
  if (value == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = value;
  if (value) {
    if (state_ == ibsUp) Invalidate();
    state_ = ibsExclusive;
    UpdateExclusive();
  } else {
    state_ = ibsUp;
    Invalidate();
  }
}

void TKSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !Host()) return;
  for (GraphicControl* sibling : Host()->ChildrenOf(Parent())) sibling->ButtonPressed(groupIndex_, *this);
}

void TKSpeedButton::ButtonPressed(int groupIndex, GraphicControl& sender) {
  if (groupIndex != groupIndex_ || &sender == this) return;
  auto* button = dynamic_cast<TKSpeedButton*>(&sender);
  if (!button) return;
  if (button->down_ && down_) {
    down_ = false;
    state_ = ibsUp;
    Invalidate();
  }
  allowAllUp_ = button->allowAllUp_;
}

// The flag is set inverted on purpose: the handler then decides, by its own conditions, whether the
// button really enters or leaves.
void TKSpeedButton::UpdateTracking() {
  if (!flat_ || !Enabled()) return;
  GraphicControl* under = Host() ? Host()->ControlAtCursor(true) : nullptr;
  // Without this the pointer could leave straight for another window, unseen, and the button stay hot.
  if (Host()) Host()->TrackHover(under);
  mouseInControl_ = under != this;
  if (mouseInControl_)
    MouseLeave();
  else
    MouseEnter();
}

void TKSpeedButton::MouseEnter() {
  bool captured = Host() && Host()->CaptureHeld();
  if (!flat_ || mouseInControl_ || !Enabled() || captured) return;
  mouseInControl_ = true;
  if (onMouseEnter_) onMouseEnter_(*this);
  Invalidate();
}

void TKSpeedButton::MouseLeave() {
  if (!flat_ || !mouseInControl_ || !Enabled() || dragging_) return;
  mouseInControl_ = false;
  if (onMouseLeave_) onMouseLeave_(*this);
  Invalidate();
}

void TKSpeedButton::EnabledChanged() {
  UpdateTracking();
  Invalidate();
}

void TKSpeedButton::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  GraphicControl::MouseDown(button, shift, x, y);
  if (button != MouseButton::Left || !Enabled()) return;
  if (!down_) {
    state_ = ibsPressed;
    Invalidate();
  }
  dragging_ = true;
}

void TKSpeedButton::MouseMove(ShiftState shift, int x, int y) {
  GraphicControl::MouseMove(shift, x, y);
  if (dragging_) {
    TImageButtonState next = down_ ? ibsExclusive : Inside(x, y) ? ibsPressed : ibsUp;
    if (next != state_) {
      state_ = next;
      Invalidate();
    }
  } else if (!mouseInControl_) {
    UpdateTracking();
  }
}

void TKSpeedButton::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (dragging_) {
    dragging_ = false;
    bool inside = Inside(x, y);
    TImageButtonState before = state_;
    if (groupIndex_ == 0) {
      state_ = ibsUp;
      mouseInControl_ = false;
      // Also repaint when no move reported the pointer leaving: the face must not stay pressed.
      if (inside || before != state_) Invalidate();
    } else if (inside) {
      SetDown(!down_);
      if (down_) Invalidate();
    } else {
      if (down_) state_ = ibsExclusive;
      Invalidate();
    }
    UpdateTracking();
  }
  GraphicControl::MouseUp(button, shift, x, y);
}

// The capture went elsewhere (another window, a system move): no release will come, so let go.
void TKSpeedButton::CaptureCancelled() {
  if (!dragging_) return;
  dragging_ = false;
  state_ = down_ ? ibsExclusive : ibsUp;
  Invalidate();
  UpdateTracking();
}

void TKSpeedButton::LeftDoubleClick(ShiftState shift, int x, int y) {
  GraphicControl::LeftDoubleClick(shift, x, y);
  if (down_) DblClick();
}

bool TKSpeedButton::ParentCanFocus() const {
  if (!Host()) return false;
  for (const GraphicControl* p = Parent(); p; p = p->Parent())
    if (!p->Visible() || !p->Enabled()) return false;
  return true;
}

bool TKSpeedButton::CMDialogKey(WORD key, ShiftState shift) {
  bool mine = (key == VK_RETURN && default_) || (key == VK_ESCAPE && cancel_);
  if (!mine || !shift.NoModifiers() || !ParentCanFocus() || !Enabled() || !Visible()) return false;
  Click();
  return true;
}

char TKSpeedButton::AccelChar(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return caption[i + 1];
    ++i;  // "&&" is a literal ampersand
  }
  return 0;
}

bool TKSpeedButton::DialogChar(char ch) {
  char accel = AccelChar(caption_);
  if (accel == 0 || std::tolower(static_cast<unsigned char>(accel)) != std::tolower(static_cast<unsigned char>(ch)))
    return false;
  bool parentShowing = Parent() ? Parent()->Showing() : (Host() && Host()->Showing());
  if (!Enabled() || !Visible() || !parentShowing) return false;
  Click();
  return true;
}

// Returns the image slot for the flat faces: 3 pressed, 2 hot, else unchanged (0 or 1).
int TKSpeedButton::PaintFlat(HDC dc, const RECT& rect) {
  UINT edges = transparent_ ? BF_RECT : BF_RECT | BF_MIDDLE;
  RECT edge = rect;
  if (Pressed()) {
    if (drawBorderInFlatMode_) DrawEdge(dc, &edge, BDR_SUNKENOUTER, edges);
    return 3;
  }
  if (mouseInControl_ && state_ != ibsDisabled) {
    if (drawBorderInFlatMode_) DrawEdge(dc, &edge, BDR_RAISEDINNER, edges);
    return 2;
  }
  if (!transparent_) gui::FillSolid(dc, rect, Color());
  return state_ == ibsDisabled ? 1 : 0;
}

// High contrast: no pictures. A bordered button is framed in the button text colour, twice as thick
// while pressed, and the button Enter presses carries a focus mark inside, in its pair's text colour.
void TKSpeedButton::PaintContrast(HDC dc, RECT rect) const {
  if (flat_ && !drawBorderInFlatMode_) return;
  const COLORREF ink = gui::PairText(gui::ColorPair::Button);
  const int line = gui::Scale(1, Dpi());
  gui::Frame3D(dc, rect, ink, ink, Pressed() ? 2 * line : line);
  if (!default_) return;
  InflateRect(&rect, -3 * line, -3 * line);
  const COLORREF mark = gui::PairText(Pair());
  gui::Frame3D(dc, rect, mark, mark, line);
}

void TKSpeedButton::Paint(HDC dc) {
  RECT rect{0, 0, PixelWidth(), PixelHeight()};
  int slot = 0;
  if (!Enabled()) {
    state_ = ibsDisabled;
    dragging_ = false;
    slot = 1;
  } else if (state_ == ibsDisabled) {
    state_ = down_ && groupIndex_ != 0 ? ibsExclusive : ibsUp;
  }
  if (HighContrast()) return PaintContrast(dc, rect);
  POINT offset{0, 0};
  if (!flat_) {
    RECT frame = rect;
    DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (Pressed() ? DFCS_PUSHED : 0));
    offset = {2, 2};
  } else {
    slot = PaintFlat(dc, rect);
    if (drawBorderInFlatMode_) offset = {1, 1};
  }
  if (images_) images_->Draw(dc, imageIndex_[slot], offset.x, offset.y);
}

}  // namespace kestrun
