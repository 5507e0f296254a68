#pragma once
// A borderless top-level window (WS_POPUP) of fixed client size, built in code from its layout. The form
// routes its window's messages and owns the window's life (create, show, close, modal showing,
// activation); each other job is a part it holds: the windowless controls' host, the native children,
// placement and DPI, the off-screen paint, queued calls (timers, calls from other threads), the
// pointer's shape, info tips and what a screen reader finds.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gui/AccessibleControls.h"
#include "gui/Contrast.h"
#include "gui/ControlHost.h"
#include "gui/Edit.h"
#include "gui/FormCursor.h"
#include "gui/FormPlacement.h"
#include "gui/Gdi.h"
#include "gui/InfoTips.h"
#include "gui/ListView.h"
#include "gui/ModalLoop.h"
#include "gui/NativeChildren.h"
#include "gui/QueuedCalls.h"
#include "gui/Timer.h"
#include "gui/WindowPort.h"

namespace kestrun::gui {

// Sizes and positions are 96-DPI figures; the form scales them to the DPI of its monitor.
struct FormLayout {
  std::string caption{};
  int width = 0;   // client size; the window has no frame, so it is also the window size
  int height = 0;
  Placement placement = Placement::Fixed;
  POINT position{0, 0};          // screen position when Fixed
  COLORREF color = CLR_INVALID;  // CLR_INVALID: button face
  FontStyle font{};               // for native children that take the form's font
};

class Form {
 public:
  // owner may be null; an owned form stays above its owner and is centred over it if asked. contrast:
  // whether the user asks for high contrast; empty: as the owner is told, or never without one.
  Form(const FormLayout& layout, Form* owner, ContrastQuery contrast = {});
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  // The window class of every form: another process of ours finds our windows by it.
  [[nodiscard]] static const char* ClassName();
  // The form behind one of our windows, or null for any other window.
  [[nodiscard]] static Form* FromHandle(HWND hwnd);
  [[nodiscard]] HWND Handle() const { return hwnd_; }
  [[nodiscard]] Form* Owner() const { return owner_; }
  [[nodiscard]] ControlHost& Host() { return host_; }
  [[nodiscard]] int Dpi() const { return host_.Dpi(); }
  // Drawn in the system's colour pairs: asked at start and at every change of colours or settings.
  [[nodiscard]] bool HighContrast() const { return host_.HighContrast(); }

  // Windowless controls, in creation order (later ones paint on top); parent null: the client area.
  template <typename T, typename... Args>
  T& Add(GraphicControl* parent, Args&&... args) {
    auto control = std::make_unique<T>(std::forward<Args>(args)...);
    T& added = *control;
    controls_.push_back(std::move(control));
    host_.Add(added, parent);
    return added;
  }
  // Native children, placed relative to parent; they always lie above the windowless controls.
  // The list shows rows (not owned; they outlive the form), its notifications answered by the form.
  ListView AddListView(GraphicControl* parent, Bounds bounds, ListRows& rows) {
    return children_.AddListView(hwnd_, parent, bounds, rows);
  }
  // Edits join the Tab order in the order they are added; the first has the focus at first activation.
  Edit AddEdit(GraphicControl* parent, Bounds bounds, const FontStyle& font) {
    return children_.AddEdit(hwnd_, parent, bounds, font);
  }
  Timer& AddTimer(UINT interval, std::function<void()> onTimer) {
    return calls_.AddTimer(hwnd_, interval, std::move(onTimer));
  }
  // A windowless control a screen reader should find in the client area, named by name() when asked.
  void Expose(GraphicControl& control, AccessibleRole role, std::function<std::string()> name,
              std::string shortcut = {}) {
    accessible_.Expose(control, role, std::move(name), std::move(shortcut));
  }
  // An info tip shown while the pointer rests on a windowless control.
  void AddInfoTip(const GraphicControl& control, const std::string& text) { tips_.Add(hwnd_, control, text); }
  [[nodiscard]] std::string InfoTipOf(const GraphicControl& control) const { return tips_.TextOf(control); }

  [[nodiscard]] std::string Caption() const;
  void SetCaption(const std::string& caption);
  // A new height in design units (96 DPI), scaled as the rest; for a form whose content grows.
  void SetDesignHeight(int height) { placement_.SetDesignHeight(hwnd_, height, Dpi()); }
  [[nodiscard]] COLORREF Color() const { return color_; }
  [[nodiscard]] bool Visible() const { return IsWindowVisible(hwnd_) != FALSE; }
  void Show();
  void Hide();
  // A modal form ends its loop with kModalCancel unless a result was set; the main form ends the app.
  // Nothing happens when CloseQuery says no.
  void Close();

  // Disables the application's other windows and runs a nested loop until a modal result is set.
  int ShowModal();
  [[nodiscard]] bool Modal() const { return modal_; }
  [[nodiscard]] int ModalResult() const { return modalResult_; }
  void SetModalResult(int result);

  // ReleaseCapture + WM_SYSCOMMAND 0xF012: the window follows the pointer until the button is released.
  void StartSystemMove();
  // Keys for a native child of this form, before the child sees them; true if consumed.
  bool ChildKey(const MSG& msg);
  // From any thread: runs call on the form's own thread and returns once it has run there.
  void RunOnOwnThread(const std::function<void()>& call) { QueuedCalls::RunOnThreadOf(hwnd_, call); }
  // While busy the pointer shows the wait cursor anywhere over the form.
  void SetBusy(bool busy) { cursor_.SetBusy(hwnd_, busy); }
  [[nodiscard]] bool Busy() const { return cursor_.Busy(); }

  // Raised when the form becomes the application's focused form; not when the focus merely returns
  // from a modal form of ours or from another application.
  void SetOnActivate(std::function<void(Form& sender)> onActivate) { onActivate_ = std::move(onActivate); }

 protected:
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void Activate();
  // Asked by Close before the form goes; false keeps it open.
  virtual bool CloseQuery() { return true; }
  // A key pressed while this form is the active one, wherever in it the focus lies, before any control
  // sees it; true if it was the form's own shortcut.
  virtual bool ShortcutKey(WORD /*key*/, ShiftState /*shift*/) { return false; }
  // After the form re-laid itself at a new DPI: pictures painted per DPI are chosen again here.
  virtual void DpiChanged() {}
  // Re-lays the form at dpi: fonts, controls, native children, and the window at suggested (or at its
  // scaled size where it is).
  void ApplyDpi(int dpi, const RECT* suggested);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static void RegisterClassOnce();
  bool RouteMouse(UINT message, WPARAM wParam, LPARAM lParam);
  bool RouteKey(UINT message, WPARAM wParam);
  void OnActivateMessage(WPARAM wParam);
  // Asks again; redraws everything when asked to, or when the answer changed.
  void RefreshContrast(bool redraw);

  HWND hwnd_ = nullptr;
  Form* owner_;  // not owned
  ContrastQuery contrast_;
  COLORREF color_;
  FormPlacement placement_;
  bool modal_ = false;
  int modalResult_ = 0;
  std::function<void(Form&)> onActivate_;
  WindowPort port_{hwnd_};
  ControlHost host_{port_};
  FormCursor cursor_{host_};
  InfoTips tips_{host_};
  NativeChildren children_;
  AccessibleControls accessible_;
  QueuedCalls calls_;
  std::vector<std::unique_ptr<GraphicControl>> controls_;  // owned; destroyed before host_
};

}  // namespace kestrun::gui
