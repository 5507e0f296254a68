#include "gui/ControlHost.h"

#include <algorithm>
#include <utility>

#include "gui/Dpi.h"
#include "gui/Gdi.h"

namespace kestrun::gui {

ControlHost::~ControlHost() {
  for (GraphicControl* c : controls_) c->Attach(nullptr, nullptr);
}

void ControlHost::Add(GraphicControl& control, GraphicControl* parent) {
  controls_.push_back(&control);
  control.Attach(this, parent);
  control.DpiChanged();
  if (highContrast_) control.ContrastChanged();
  Invalidate(control);
}

void ControlHost::Remove(GraphicControl& control) {
  if (captured_ == &control) SetCaptureControl(nullptr);
  if (hover_ == &control) hover_ = nullptr;
  std::erase(controls_, &control);
  for (GraphicControl* c : controls_)
    if (c->Parent() == &control) c->Attach(this, nullptr);
  control.Attach(nullptr, nullptr);
}

std::vector<GraphicControl*> ControlHost::ChildrenOf(const GraphicControl* parent) const {
  std::vector<GraphicControl*> children;
  for (GraphicControl* c : controls_)
    if (c->Parent() == parent) children.push_back(c);
  return children;
}

void ControlHost::SetHighContrast(bool on) {
  if (on == highContrast_) return;
  highContrast_ = on;
  const std::vector<GraphicControl*> order = controls_;
  for (GraphicControl* c : order) c->ContrastChanged();
}

void ControlHost::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  const std::vector<GraphicControl*> order = controls_;
  for (GraphicControl* c : order) c->DpiChanged();
}

POINT ControlHost::DesignOrigin(const GraphicControl& control) const {
  POINT origin{0, 0};
  for (const GraphicControl* c = &control; c; c = c->Parent()) {
    origin.x += c->Left();
    origin.y += c->Top();
  }
  return origin;
}

RECT ControlHost::ClientRectOf(const GraphicControl& control) const {
  POINT origin = DesignOrigin(control);
  return ScaleRect(origin.x, origin.y, control.Width(), control.Height(), dpi_);
}

RECT ControlHost::VisibleRectOf(const GraphicControl& control) const {
  RECT rect = ClientRectOf(control);
  for (const GraphicControl* p = control.Parent(); p; p = p->Parent()) {
    RECT outer = ClientRectOf(*p);
    IntersectRect(&rect, &rect, &outer);
  }
  return rect;
}

bool ControlHost::Hittable(const GraphicControl& control, bool allowDisabled) const {
  for (const GraphicControl* c = &control; c; c = c->Parent()) {
    if (!c->Visible()) return false;
    if (!allowDisabled && !c->Enabled()) return false;
  }
  return true;
}

// Later controls lie on top, so the search runs backwards.
GraphicControl* ControlHost::ControlAt(POINT point, bool allowDisabled) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    if (!Hittable(**it, allowDisabled)) continue;
    RECT rect = VisibleRectOf(**it);
    if (PtInRect(&rect, point)) return *it;
  }
  return nullptr;
}

GraphicControl* ControlHost::ControlAtCursor(bool allowDisabled) const {
  std::optional<POINT> cursor = port_.CursorPos();
  return cursor ? ControlAt(*cursor, allowDisabled) : nullptr;
}

// The pointer is cleared before the release: ReleaseCapture sends WM_CAPTURECHANGED at once.
void ControlHost::SetCaptureControl(GraphicControl* control) {
  if (control) {
    captured_ = control;
    port_.SetCapture();
  } else if (captured_) {
    captured_ = nullptr;
    port_.ReleaseCapture();
  }
}

void ControlHost::Invalidate(const GraphicControl& control) {
  RECT rect = VisibleRectOf(control);
  if (!IsRectEmpty(&rect)) port_.InvalidateRect(rect);
}

POINT ControlHost::Local(const GraphicControl& control, POINT point) const {
  RECT rect = ClientRectOf(control);
  return {point.x - rect.left, point.y - rect.top};
}

void ControlHost::MouseMove(POINT point, ShiftState shift) {
  port_.TrackMouseLeave();
  GraphicControl* target = captured_ ? captured_ : ControlAt(point, false);
  if (target) {
    POINT local = Local(*target, point);
    target->PointerMove(shift, local.x, local.y);
  }
  UpdateHover(point);
}

// While a control holds the capture only it hears of entering and leaving.
void ControlHost::UpdateHover(POINT point) {
  GraphicControl* now = ControlAt(point, true);
  if (now == hover_) return;
  GraphicControl* old = std::exchange(hover_, now);
  if (old && (!captured_ || old == captured_)) old->MouseLeave();
  if (hover_ == now && now && (!captured_ || now == captured_)) now->MouseEnter();
}

void ControlHost::ButtonDown(MouseButton button, POINT point, ShiftState shift, bool doubleClick) {
  GraphicControl* target = captured_ ? captured_ : ControlAt(point, false);
  if (!target) return;
  POINT local = Local(*target, point);
  if (button != MouseButton::Left)
    target->OtherButtonDown(button, shift, local.x, local.y);
  else if (doubleClick)
    target->LeftDoubleClick(shift, local.x, local.y);
  else
    target->LeftButtonDown(shift, local.x, local.y);
}

void ControlHost::ButtonUp(MouseButton button, POINT point, ShiftState shift) {
  GraphicControl* target = captured_ ? captured_ : ControlAt(point, false);
  if (!target) return;
  POINT local = Local(*target, point);
  if (button == MouseButton::Left)
    target->LeftButtonUp(shift, local.x, local.y);
  else
    target->OtherButtonUp(button, shift, local.x, local.y);
}

void ControlHost::TrackHover(GraphicControl* hot) {
  if (!hover_) hover_ = hot;
  port_.TrackMouseLeave();
}

void ControlHost::MouseLeft() {
  GraphicControl* old = std::exchange(hover_, nullptr);
  if (old && (!captured_ || old == captured_)) old->MouseLeave();
}

void ControlHost::CaptureChanged() {
  if (GraphicControl* lost = std::exchange(captured_, nullptr)) lost->CaptureLost();
}

// Offered in control order; the first control that takes it consumes it.
bool ControlHost::DialogKey(WORD key, ShiftState shift) {
  const std::vector<GraphicControl*> order = controls_;  // a handler may add or remove controls
  for (GraphicControl* c : order)
    if (c->CMDialogKey(key, shift)) return true;
  return false;
}

bool ControlHost::DialogChar(char ch) {
  const std::vector<GraphicControl*> order = controls_;
  for (GraphicControl* c : order)
    if (c->DialogChar(ch)) return true;
  return false;
}

void ControlHost::Paint(HDC dc, const RECT& dirty) const {
  for (GraphicControl* c : controls_) {
    if (!Hittable(*c, true)) continue;
    RECT visible = VisibleRectOf(*c);
    RECT clip;
    if (!IntersectRect(&clip, &visible, &dirty)) continue;
    RECT rect = ClientRectOf(*c);
    SavedDc saved(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    SetViewportOrgEx(dc, rect.left, rect.top, nullptr);
    c->Paint(dc);
  }
}

}  // namespace kestrun::gui
