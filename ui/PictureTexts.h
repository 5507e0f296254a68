#pragma once
// The texts painted into the windows' pictures (tools/art/make-bitmaps.sh), in the same fonts, colours
// and places, relative to each picture: drawn as text wherever the picture may not be shown.
#include <vector>

#include "gui/TextRuns.h"

namespace kestrun {

std::vector<gui::TextRun> TitleTexts();
std::vector<gui::TextRun> LogoTexts();
// The banner the main window shows at index (0 to 3).
std::vector<gui::TextRun> BannerTexts(int index);
std::vector<gui::TextRun> AboutTexts();

}  // namespace kestrun
