#pragma once
// One per form: owns the hover, press/capture and paint order of the form's windowless controls.
// It reaches the window only through HostPort, so its state machine runs without a window in tests.
#include <windows.h>

#include <optional>
#include <vector>

#include "gui/GraphicControl.h"

namespace kestrun::gui {

class HostPort {
 public:
  virtual ~HostPort() = default;
  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  // Whether any window of the system holds the mouse capture.
  [[nodiscard]] virtual bool CaptureHeld() const = 0;
  virtual void TrackMouseLeave() = 0;
  virtual void InvalidateRect(const RECT& rect) = 0;
  // The cursor in client coordinates, or nothing when another window lies under it.
  [[nodiscard]] virtual std::optional<POINT> CursorPos() const = 0;
  [[nodiscard]] virtual bool Showing() const = 0;
};

class ControlHost {
 public:
  explicit ControlHost(HostPort& port) : port_(port) {}
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;
  ~ControlHost();

  void Add(GraphicControl& control, GraphicControl* parent);
  void Remove(GraphicControl& control);
  [[nodiscard]] const std::vector<GraphicControl*>& Controls() const { return controls_; }
  [[nodiscard]] std::vector<GraphicControl*> ChildrenOf(const GraphicControl* parent) const;

  // Controls are laid out in design figures; the host draws and hit-tests them at its DPI.
  [[nodiscard]] int Dpi() const { return dpi_; }
  void SetDpi(int dpi);
  // Whether the controls draw with the system's colour pairs; the form repaints itself after a change.
  [[nodiscard]] bool HighContrast() const { return highContrast_; }
  void SetHighContrast(bool on);
  // A control's top-left corner in the client area, in design figures.
  [[nodiscard]] POINT DesignOrigin(const GraphicControl& control) const;

  // Client-area rectangle of a control in pixels, and the part of it its ancestors leave visible.
  [[nodiscard]] RECT ClientRectOf(const GraphicControl& control) const;
  [[nodiscard]] RECT VisibleRectOf(const GraphicControl& control) const;
  [[nodiscard]] GraphicControl* ControlAt(POINT point, bool allowDisabled) const;
  [[nodiscard]] GraphicControl* ControlAtCursor(bool allowDisabled) const;
  [[nodiscard]] GraphicControl* CaptureControl() const { return captured_; }
  [[nodiscard]] GraphicControl* HoverControl() const { return hover_; }
  void SetCaptureControl(GraphicControl* control);
  // A control looked at the pointer itself, after a release that may have followed a modal box (whose
  // window took the pointer's leave): the window asks to hear the next leave, and a host that lost
  // track of the control under the pointer takes this one.
  void TrackHover(GraphicControl* hot);
  [[nodiscard]] bool CaptureHeld() const { return port_.CaptureHeld(); }
  [[nodiscard]] bool Showing() const { return port_.Showing(); }
  void Invalidate(const GraphicControl& control);

  // Input from the window, in client coordinates.
  void MouseMove(POINT point, ShiftState shift);
  void ButtonDown(MouseButton button, POINT point, ShiftState shift, bool doubleClick);
  void ButtonUp(MouseButton button, POINT point, ShiftState shift);
  void MouseLeft();
  void CaptureChanged();
  bool DialogKey(WORD key, ShiftState shift);
  bool DialogChar(char ch);
  void Paint(HDC dc, const RECT& dirty) const;

 private:
  [[nodiscard]] bool Hittable(const GraphicControl& control, bool allowDisabled) const;
  void UpdateHover(POINT point);
  [[nodiscard]] POINT Local(const GraphicControl& control, POINT point) const;

  HostPort& port_;
  std::vector<GraphicControl*> controls_;  // not owned; creation order = paint order
  GraphicControl* captured_ = nullptr;
  GraphicControl* hover_ = nullptr;
  int dpi_ = 96;
  bool highContrast_ = false;
};

}  // namespace kestrun::gui
