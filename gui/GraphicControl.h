#pragma once
// A windowless control: it lives in a ControlHost (one per form), which hit-tests, captures and paints
// it on the form's surface in creation order. The host delivers the pointer and keys through the
// virtual handlers below; a form hears of clicks and presses through the events it sets (SetOnClick...).
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "gui/Contrast.h"

namespace kestrun::gui {

class ControlHost;

enum class MouseButton { Left, Right, Middle };

struct ShiftState {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  bool dbl = false;  // the press was the second of a double click
  [[nodiscard]] bool NoModifiers() const { return !shift && !ctrl && !alt; }
};

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

class GraphicControl {
 public:
  using NotifyEvent = std::function<void(GraphicControl& sender)>;
  using MouseEvent = std::function<void(GraphicControl& sender, MouseButton, ShiftState, int x, int y)>;
  using MouseMoveEvent = std::function<void(GraphicControl& sender, ShiftState, int x, int y)>;

  explicit GraphicControl(Bounds bounds = {});
  GraphicControl(const GraphicControl&) = delete;
  GraphicControl& operator=(const GraphicControl&) = delete;
  virtual ~GraphicControl();

  // Placement in a host; parent null means the form's client area itself.
  void Attach(ControlHost* host, GraphicControl* parent);
  [[nodiscard]] ControlHost* Host() const { return host_; }
  [[nodiscard]] GraphicControl* Parent() const { return parent_; }

  // Bounds are design figures (96 DPI); the host scales them to pixels for painting and hit-testing.
  [[nodiscard]] Bounds DesignBounds() const { return bounds_; }
  [[nodiscard]] int Left() const { return bounds_.left; }
  [[nodiscard]] int Top() const { return bounds_.top; }
  [[nodiscard]] int Width() const { return bounds_.width; }
  [[nodiscard]] int Height() const { return bounds_.height; }
  void SetBounds(Bounds bounds);
  void SetLeft(int v) { SetBounds({v, bounds_.top, bounds_.width, bounds_.height}); }
  void SetTop(int v) { SetBounds({bounds_.left, v, bounds_.width, bounds_.height}); }
  void SetWidth(int v) { SetBounds({bounds_.left, bounds_.top, v, bounds_.height}); }
  void SetHeight(int v) { SetBounds({bounds_.left, bounds_.top, bounds_.width, v}); }

  // The host's DPI (96 without a host), and the control's size in pixels at it.
  [[nodiscard]] int Dpi() const;
  [[nodiscard]] int PixelWidth() const;
  [[nodiscard]] int PixelHeight() const;

  [[nodiscard]] bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  [[nodiscard]] bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Visible with all its ancestors, in a host whose window is shown.
  [[nodiscard]] bool Showing() const;

  [[nodiscard]] COLORREF Color() const { return color_; }
  void SetColor(COLORREF color);
  // In high contrast the control draws with its pair of system colours instead (Window at first).
  [[nodiscard]] bool HighContrast() const;
  [[nodiscard]] ColorPair Pair() const { return pair_; }
  void SetPair(ColorPair pair);
  // What it fills with: its colour, or its pair's background in high contrast.
  [[nodiscard]] COLORREF FaceColor() const { return HighContrast() ? PairBackground(pair_) : color_; }
  [[nodiscard]] HCURSOR Cursor() const { return cursor_; }
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }  // not owned: a shared system cursor

  void SetOnClick(NotifyEvent onClick) { onClick_ = std::move(onClick); }
  void SetOnDblClick(NotifyEvent onDblClick) { onDblClick_ = std::move(onDblClick); }
  void SetOnMouseDown(MouseEvent onMouseDown) { onMouseDown_ = std::move(onMouseDown); }
  void SetOnMouseUp(MouseEvent onMouseUp) { onMouseUp_ = std::move(onMouseUp); }
  void SetOnMouseMove(MouseMoveEvent onMouseMove) { onMouseMove_ = std::move(onMouseMove); }

  void Invalidate();
  void Repaint() { Invalidate(); }
  virtual void Click();

  // Delivered by the host; coordinates are relative to the control.
  virtual void Paint(HDC dc);
  virtual void LeftButtonDown(ShiftState shift, int x, int y);
  virtual void LeftButtonUp(ShiftState shift, int x, int y);
  virtual void LeftDoubleClick(ShiftState shift, int x, int y);
  virtual void OtherButtonDown(MouseButton button, ShiftState shift, int x, int y);
  virtual void OtherButtonUp(MouseButton button, ShiftState shift, int x, int y);
  virtual void PointerMove(ShiftState shift, int x, int y);
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}
  // Return true to consume the key or character: no further control is offered it.
  virtual bool CMDialogKey(WORD key, ShiftState shift);
  virtual bool DialogChar(char ch);
  virtual void EnabledChanged() { Invalidate(); }
  // The host was attached or its DPI changed: scaled resources (fonts) are made again.
  virtual void DpiChanged() {}
  // The host went into high contrast or out of it: fonts are made again (crisp in high contrast).
  virtual void ContrastChanged() {}
  // The group notification of latching buttons, sent to every control of the sender's parent.
  virtual void ButtonPressed(int groupIndex, GraphicControl& sender);
  // The window lost the mouse capture while this control held it (no release will come).
  void CaptureLost();

 protected:
  virtual void MouseDown(MouseButton button, ShiftState shift, int x, int y);
  virtual void MouseMove(ShiftState shift, int x, int y);
  virtual void MouseUp(MouseButton button, ShiftState shift, int x, int y);
  virtual void DblClick();
  // After CaptureLost: the control lets go of whatever its press started.
  virtual void CaptureCancelled() {}
  virtual void BoundsChanged() {}
  void SetMouseCapture(bool capture);
  [[nodiscard]] bool Inside(int x, int y) const {
    return x >= 0 && x < PixelWidth() && y >= 0 && y < PixelHeight();
  }

 private:
  ControlHost* host_ = nullptr;        // not owned
  GraphicControl* parent_ = nullptr;   // not owned
  Bounds bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  bool clicked_ = false;  // a plain left press started a click
  NotifyEvent onClick_;
  NotifyEvent onDblClick_;
  MouseEvent onMouseDown_;
  MouseEvent onMouseUp_;
  MouseMoveEvent onMouseMove_;
  COLORREF color_;
  ColorPair pair_ = ColorPair::Window;
  HCURSOR cursor_ = nullptr;
};

}  // namespace kestrun::gui
