#include "gui/AccessibleControls.h"

#include "gui/GraphicControl.h"

namespace kestrun::gui {

void AccessibleControls::Expose(GraphicControl& control, AccessibleRole role, std::function<std::string()> name,
                                std::string shortcut) {
  items_.push_back({&control, role, std::move(name), std::move(shortcut)});
}

// Only the client area is ours to describe; the system describes the window around it.
LRESULT AccessibleControls::Answer(HWND window, WPARAM wParam, LPARAM lParam) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT || items_.empty()) return 0;
  if (!apartment_) apartment_.emplace();
  if (!object_) {
    object_ = ClientAccessible::Create(window, items_, [this, window](GraphicControl& control) {
      for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].control == &control) PostMessageA(window, kDoDefaultAction, i, 0);
    });
  }
  const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, object_.Get());
  return SUCCEEDED(static_cast<HRESULT>(result)) ? result : 0;
}

void AccessibleControls::DoDefaultAction(WPARAM index) {
  if (index >= items_.size()) return;
  GraphicControl& control = *items_[index].control;
  if (control.Showing() && control.Enabled()) control.Click();
}

void AccessibleControls::Disconnect() {
  if (object_) object_->Disconnect();
}

}  // namespace kestrun::gui
