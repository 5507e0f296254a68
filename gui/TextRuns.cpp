#include "gui/TextRuns.h"

#include "base/Text.h"
#include "gui/Dpi.h"

namespace kestrun::gui {

namespace {

UINT AlignFlags(Alignment alignment) {
  return alignment == Alignment::Center ? DT_CENTER : alignment == Alignment::Right ? DT_RIGHT : DT_LEFT;
}

// Over a picture, smoothed whatever the desktop's setting: Wine draws small unsmoothed text up to a few
// pixels wider than it measures it, and a run placed after another would touch it.
UniqueGdiObject RunFont(const FontStyle& style, int dpi, bool contrast) {
  if (contrast) return CreateFontObject(style, dpi, true);
  UniqueGdiObject font = CreateFontObject(style, dpi);
  LOGFONTA logFont{};
  if (!GetObjectA(font.Get(), sizeof logFont, &logFont)) return font;
  logFont.lfQuality = ANTIALIASED_QUALITY;
  return UniqueGdiObject(CreateFontIndirectA(&logFont));
}

bool Skipped(const TextRun& run, bool contrast) {
  return run.shown == (contrast ? Shown::OverPicture : Shown::WithoutPicture);
}

// Lays out every run and, with ink, draws it (contrastInk as for DrawTextRuns). A run that needs more
// room than its box grows downward: DT_NOCLIP, and the box's height is only a start.
std::vector<RECT> LayOut(HDC dc, const std::vector<TextRun>& runs, int dpi, bool contrast, bool ink,
                         COLORREF contrastInk) {
  std::vector<RECT> laid;
  int previousEnd = 0;
  for (const TextRun& run : runs) {
    laid.push_back({});
    if (Skipped(run, contrast)) continue;
    const UniqueGdiObject font = RunFont(run.font, dpi, contrast);
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
    box.bottom = used.bottom;
    // The measure starts at the box's left; aligned text is drawn that far in.
    const int shift = run.alignment == Alignment::Left     ? 0
                      : run.alignment == Alignment::Right ? box.right - used.right
                                                           : (box.right - used.right) / 2;
    OffsetRect(&used, shift, 0);
    laid.back() = used;
    previousEnd = used.right;
    if (!ink) continue;
    ::SetTextColor(dc, contrast ? contrastInk : run.color);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, flags);
  }
  return laid;
}

}  // namespace

void DrawTextRuns(HDC dc, const std::vector<TextRun>& runs, int dpi, COLORREF contrastInk) {
  SetBkMode(dc, TRANSPARENT);
  LayOut(dc, runs, dpi, contrastInk != CLR_INVALID, true, contrastInk);
}

std::vector<RECT> TextRunBoxes(HDC dc, const std::vector<TextRun>& runs, int dpi, bool contrast) {
  return LayOut(dc, runs, dpi, contrast, false, CLR_INVALID);
}

}  // namespace kestrun::gui
