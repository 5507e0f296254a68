#pragma once
// The texts of the windows' pictures, drawn over them at run time in the user's language (the pictures,
// tools/art/make-bitmaps.sh, carry no words): the design's fonts, colours and places, relative to each
// picture, in 96-DPI figures.
#include <vector>

#include "gui/TextRuns.h"

namespace kestrun {

std::vector<gui::TextRun> TitleTexts();
std::vector<gui::TextRun> LogoTexts();
// The banner the main window shows at index (0 to 3).
std::vector<gui::TextRun> BannerTexts(int index);
std::vector<gui::TextRun> AboutTexts();

}  // namespace kestrun
