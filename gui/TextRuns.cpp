#include "gui/TextRuns.h"

#include "base/Text.h"
#include "gui/Dpi.h"

namespace kestrun::gui {

namespace {

UINT AlignFlags(Alignment alignment) {
  return alignment == Alignment::Center ? DT_CENTER : alignment == Alignment::Right ? DT_RIGHT : DT_LEFT;
}

}  // namespace

// A run that needs more room than its box grows downward: DT_NOCLIP, and the box's height is only a start.
void DrawTextRuns(HDC dc, const std::vector<TextRun>& runs, int dpi, COLORREF contrastInk) {
  SetBkMode(dc, TRANSPARENT);
  int previousEnd = 0;
  for (const TextRun& run : runs) {
    const UniqueGdiObject font = CreateFontObject(run.font, dpi, contrastInk != CLR_INVALID);
    SelectObjectGuard select(dc, font.Get());
    int top = Scale(run.y, dpi);
    if (run.anchor == Anchor::Baseline) {
      TEXTMETRICW metrics{};
      GetTextMetricsW(dc, &metrics);
      top -= metrics.tmAscent;
    }
    const int left = run.afterPrevious ? previousEnd + Scale(run.left, dpi) : Scale(run.left, dpi);
    const UINT flags = DT_WORDBREAK | DT_NOPREFIX | DT_NOCLIP | AlignFlags(run.alignment);
    const std::wstring text = ToWide(run.text);
    RECT box{left, top, left + Scale(run.width, dpi), top};
    RECT used = box;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &used, flags | DT_CALCRECT);
    previousEnd = used.right;
    box.bottom = used.bottom;
    ::SetTextColor(dc, contrastInk == CLR_INVALID ? run.color : contrastInk);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, flags);
  }
}

}  // namespace kestrun::gui
