#include "gui/InfoTips.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <utility>

#include "gui/ControlHost.h"

namespace kestrun::gui {

namespace {

TOOLINFOA ToolInfo(HWND owner, UINT_PTR id) {
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = owner;
  tool.uId = id;
  return tool;
}

}  // namespace

void InfoTips::Add(HWND owner, const GraphicControl& control, const std::string& text) {
  owner_ = owner;
  tips_.push_back({&control, text});
  if (window_) AddTool(tips_.size());
}

void InfoTips::AddTool(size_t id) {
  TOOLINFOA tool = ToolInfo(owner_, id);
  tool.uFlags = 0;
  tool.rect = host_.ClientRectOf(*tips_[id - 1].control);
  tool.lpszText = tips_[id - 1].text.data();
  SendMessageA(window_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

// Made when the pointer first comes: of the four windows made at start, three may never see it, and
// each tip window made costs the first window's start some milliseconds under Wine.
bool InfoTips::Made() {
  if (window_ || !owner_) return window_ != nullptr;  // no owner: no tip added yet
  window_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner_, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  if (!window_) return false;
  if (host_.HighContrast()) ApplyContrast();
  for (size_t id = 1; id <= tips_.size(); ++id) AddTool(id);
  return true;
}

std::string InfoTips::TextOf(const GraphicControl& control) const {
  for (const Tip& tip : tips_)
    if (tip.control == &control) return tip.text;
  return {};
}

void InfoTips::Relay(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Made()) return;
  MSG msg{owner_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
  SendMessageA(window_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

// The tip's own font is the status font; the tip may keep the handle, so the old one goes only after.
void InfoTips::ApplyContrast() {
  if (!window_) return;
  const bool on = host_.HighContrast();
  SetWindowTheme(window_, on ? L" " : nullptr, on ? L" " : nullptr);
  SendMessageW(window_, WM_SYSCOLORCHANGE, 0, 0);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  if (on) metrics.lfStatusFont.lfQuality = NONANTIALIASED_QUALITY;  // smoothing would mix colours of its own
  UniqueGdiObject font(CreateFontIndirectW(&metrics.lfStatusFont));
  if (!font) return;
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  font_ = std::move(font);
}

void InfoTips::UpdateRects() const {
  if (!window_) return;
  for (size_t i = 0; i < tips_.size(); ++i) {
    TOOLINFOA tool = ToolInfo(owner_, i + 1);
    tool.rect = host_.ClientRectOf(*tips_[i].control);
    SendMessageA(window_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

}  // namespace kestrun::gui
