#include "gui/GraphicControl.h"

#include "gui/ControlHost.h"
#include "gui/Dpi.h"
#include "gui/Gdi.h"

namespace kestrun::gui {

GraphicControl::GraphicControl(Bounds bounds) : bounds_(bounds), color_(ButtonFaceColor()) {}

GraphicControl::~GraphicControl() {
  if (host_) host_->Remove(*this);
}

void GraphicControl::Attach(ControlHost* host, GraphicControl* parent) {
  host_ = host;
  parent_ = parent;
}

int GraphicControl::Dpi() const { return host_ ? host_->Dpi() : kDesignDpi; }

int GraphicControl::PixelWidth() const {
  if (!host_) return bounds_.width;
  RECT rect = host_->ClientRectOf(*this);
  return rect.right - rect.left;
}

int GraphicControl::PixelHeight() const {
  if (!host_) return bounds_.height;
  RECT rect = host_->ClientRectOf(*this);
  return rect.bottom - rect.top;
}

void GraphicControl::SetBounds(Bounds bounds) {
  if (bounds.left == bounds_.left && bounds.top == bounds_.top && bounds.width == bounds_.width &&
      bounds.height == bounds_.height)
    return;
  Invalidate();
  bounds_ = bounds;
  Invalidate();
  BoundsChanged();
}

void GraphicControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible) Invalidate();
  visible_ = visible;
  if (visible) Invalidate();
}

void GraphicControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  EnabledChanged();
}

bool GraphicControl::Showing() const {
  for (const GraphicControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return host_ && host_->Showing();
}

void GraphicControl::SetColor(COLORREF color) {
  if (color == color_) return;
  color_ = color;
  Invalidate();
}

bool GraphicControl::HighContrast() const { return host_ && host_->HighContrast(); }

void GraphicControl::SetPair(ColorPair pair) {
  if (pair == pair_) return;
  pair_ = pair;
  if (HighContrast()) Invalidate();
}

void GraphicControl::Invalidate() {
  if (host_ && visible_) host_->Invalidate(*this);
}

void GraphicControl::Paint(HDC) {}

void GraphicControl::SetMouseCapture(bool capture) {
  if (!host_) return;
  if (capture)
    host_->SetCaptureControl(this);
  else if (host_->CaptureControl() == this)
    host_->SetCaptureControl(nullptr);
}

void GraphicControl::LeftButtonDown(ShiftState shift, int x, int y) {
  SetMouseCapture(true);
  clicked_ = true;
  MouseDown(MouseButton::Left, shift, x, y);
}

// A click handler that throws must not leave the control pressed: the release still runs.
void GraphicControl::LeftButtonUp(ShiftState shift, int x, int y) {
  SetMouseCapture(false);
  if (clicked_) {
    clicked_ = false;
    try {
      if (Inside(x, y)) Click();
    } catch (...) {
      MouseUp(MouseButton::Left, shift, x, y);
      throw;
    }
  }
  MouseUp(MouseButton::Left, shift, x, y);
}

// The second press of a double click captures like a press but starts no click.
void GraphicControl::LeftDoubleClick(ShiftState shift, int x, int y) {
  SetMouseCapture(true);
  DblClick();
  shift.dbl = true;
  MouseDown(MouseButton::Left, shift, x, y);
}

void GraphicControl::OtherButtonDown(MouseButton button, ShiftState shift, int x, int y) {
  MouseDown(button, shift, x, y);
}

void GraphicControl::OtherButtonUp(MouseButton button, ShiftState shift, int x, int y) {
  MouseUp(button, shift, x, y);
}

void GraphicControl::PointerMove(ShiftState shift, int x, int y) { MouseMove(shift, x, y); }

bool GraphicControl::CMDialogKey(WORD, ShiftState) { return false; }
bool GraphicControl::DialogChar(char) { return false; }
void GraphicControl::ButtonPressed(int, GraphicControl&) {}

void GraphicControl::CaptureLost() {
  clicked_ = false;
  CaptureCancelled();
}

void GraphicControl::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  if (onMouseDown_) onMouseDown_(*this, button, shift, x, y);
}

void GraphicControl::MouseMove(ShiftState shift, int x, int y) {
  if (onMouseMove_) onMouseMove_(*this, shift, x, y);
}

void GraphicControl::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (onMouseUp_) onMouseUp_(*this, button, shift, x, y);
}

void GraphicControl::Click() {
  if (onClick_) onClick_(*this);
}

void GraphicControl::DblClick() {
  if (onDblClick_) onDblClick_(*this);
}

}  // namespace kestrun::gui
