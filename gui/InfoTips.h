#pragma once
// Info tips over windowless controls: one tooltip window per form, one tool per control, its rectangle
// the control's client rectangle. The form relays its mouse messages here (no subclassing: the form
// recognises its windows by their window procedure).
#include <windows.h>

#include <string>
#include <vector>

#include "base/Handles.h"

namespace kestrun::gui {

class ControlHost;
class GraphicControl;

class InfoTips {
 public:
  explicit InfoTips(const ControlHost& host) : host_(host) {}
  InfoTips(const InfoTips&) = delete;
  InfoTips& operator=(const InfoTips&) = delete;

  // owner: the form's window, whose client area the control lies in.
  void Add(HWND owner, const GraphicControl& control, const std::string& text);
  [[nodiscard]] std::string TextOf(const GraphicControl& control) const;
  void Relay(UINT message, WPARAM wParam, LPARAM lParam);
  // After the controls moved or the DPI changed.
  void UpdateRects() const;
  // In high contrast the tips go without visual style, in the system's tip colours and a crisp font.
  void ApplyContrast();

 private:
  struct Tip {
    const GraphicControl* control;  // not owned
    std::string text;
  };
  bool Made();
  void AddTool(size_t id);  // id: the tip's place in tips_, from 1
  HWND owner_ = nullptr;
  const ControlHost& host_;
  HWND window_ = nullptr;  // not owned: an owned popup, destroyed with the form's window
  UniqueGdiObject font_;  // set at the first change of contrast
  std::vector<Tip> tips_;
};

}  // namespace kestrun::gui
