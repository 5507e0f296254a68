#pragma once
// A form's windowless controls as a screen reader finds them: the form answers WM_GETOBJECT and the
// default-action message through here, and the client area's accessible object is made on first ask.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "gui/ClientAccessible.h"

namespace kestrun::gui {

class AccessibleControls {
 public:
  // Posted to the form by a default action: wParam is the index of the exposed control.
  static constexpr UINT kDoDefaultAction = WM_APP + 0x51;

  AccessibleControls() = default;
  AccessibleControls(const AccessibleControls&) = delete;
  AccessibleControls& operator=(const AccessibleControls&) = delete;
  ~AccessibleControls() { Disconnect(); }

  void Expose(GraphicControl& control, AccessibleRole role, std::function<std::string()> name,
              std::string shortcut);
  // WM_GETOBJECT to window: the client area's object, or 0 for anything that is not ours to describe.
  LRESULT Answer(HWND window, WPARAM wParam, LPARAM lParam);
  // kDoDefaultAction: clicks the control if it is still there to click.
  void DoDefaultAction(WPARAM index);
  // As the window goes: a client holding the object gets errors from now on.
  void Disconnect();

 private:
  // Handing the object to another process marshals it, which needs COM on this thread.
  std::optional<ComApartment> apartment_;
  std::vector<AccessibleItem> items_;
  ComPtr<ClientAccessible> object_;  // one reference
};

}  // namespace kestrun::gui
