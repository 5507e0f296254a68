#pragma once
// Texts drawn at run time where a picture shows them: each in its font and colour at its place, in
// design figures, wrapped at blanks to its width and never cut.
#include <windows.h>

#include <string>
#include <vector>

#include "gui/Gdi.h"

namespace kestrun::gui {

enum class Alignment { Left, Right, Center };
// What a run's y names: the top of its first line, or its baseline (as a painter's text tool places it).
enum class Anchor { Top, Baseline };
// Where a run is drawn: always; only over its picture (a shadow that means nothing alone); or only where
// the picture is not shown (a mark the picture draws as a shape).
enum class Shown { Always, OverPicture, WithoutPicture };

struct TextRun {
  std::string text;
  FontStyle font;
  COLORREF color = RGB(0, 0, 0);
  int left = 0;   // with afterPrevious: the gap after the previous run's end
  int y = 0;
  int width = 0;  // the room the text wraps in; Right and Center align in it
  Alignment alignment = Alignment::Left;
  Anchor anchor = Anchor::Baseline;
  bool afterPrevious = false;  // continues the line of the run before it
  Shown shown = Shown::Always;
};

// contrastInk, in high contrast: the one colour of every run, drawn crisp, with no picture under them.
// CLR_INVALID: over the picture, each run in its own colour, smoothed.
void DrawTextRuns(HDC dc, const std::vector<TextRun>& runs, int dpi, COLORREF contrastInk = CLR_INVALID);
// Where DrawTextRuns puts each run's text, in pixels; an empty rectangle for a run it leaves out.
std::vector<RECT> TextRunBoxes(HDC dc, const std::vector<TextRun>& runs, int dpi, bool contrast = false);

}  // namespace kestrun::gui
