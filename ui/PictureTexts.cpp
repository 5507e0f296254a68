#include "ui/PictureTexts.h"

#include "KestrunVersion.h"
#include "ui/MakerAddresses.h"

namespace kestrun {

namespace {

using gui::Alignment;
using gui::Anchor;
using gui::TextRun;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNavy = RGB(0x07, 0x40, 0x6E);
constexpr char kWeb[] = "www.tamselsoft.example";

gui::FontStyle Sans(int size, bool bold = false) { return {"DejaVu Sans", size, bold}; }

TextRun Run(std::string text, gui::FontStyle font, COLORREF color, int left, int y, int width,
            Anchor anchor = Anchor::Baseline, Alignment alignment = Alignment::Left) {
  return {std::move(text), std::move(font), color, left, y, width, alignment, anchor};
}

// A run that goes on where the one before it ends, gap pixels on.
TextRun After(std::string text, gui::FontStyle font, int gap, int y, int width) {
  TextRun run = Run(std::move(text), std::move(font), kWhite, gap, y, width, Anchor::Top);
  run.afterPrevious = true;
  return run;
}

gui::FontStyle Underlined(gui::FontStyle font) {
  font.underline = true;
  return font;
}

}  // namespace

std::vector<TextRun> TitleTexts() {
  return {Run("Tamsel Soft Kestrun", Sans(11, true), kWhite, 21, 13, 393),
          Run("?", Sans(11, true), kWhite, 418, 2, 13, Anchor::Top, Alignment::Center),
          Run("X", Sans(11, true), kWhite, 434, 2, 13, Anchor::Top, Alignment::Center)};
}

std::vector<TextRun> LogoTexts() {
  return {Run("Kestrun", Sans(14, true), kWhite, 0, 38, 93, Anchor::Top, Alignment::Center),
          Run("TAMSEL SOFT", Sans(9, true), kNavy, 0, 55, 93, Anchor::Top, Alignment::Center)};
}

// Headline, copy and footer left of the button, whose text ends 10 pixels inside its right edge.
std::vector<TextRun> BannerTexts(int index) {
  struct Banner {
    const char* headline;
    const char* line;
    std::string foot;
    const char* button;
  };
  static const Banner kBanners[] = {
      {"Tamsel Soft", "Small, honest tools that keep Windows tidy.", std::string("Visit ") + kWeb, "Visit us"},
      {"Tamsel DiskTally", "See at a glance which folders fill your disks.", std::string("Order now at ") + kWeb,
       "Buy now"},
      {"Tamsel ClipKeeper", "Everything you copy, kept and found again.", std::string("Order now at ") + kWeb,
       "Buy now"},
      {"Kestrun", "Take charge of what starts with Windows.", std::string("Updates at ") + kWeb, "What's new"}};
  const Banner& banner = kBanners[index & 3];
  std::vector<TextRun> runs{Run(banner.headline, Sans(17, true), kWhite, 72, 25, 280),
                            Run(banner.line, Sans(11), kWhite, 72, 42, 280),
                            Run(banner.foot, Sans(10, true), kNavy, 72, 58, 280),
                            Run(banner.button, Sans(11, true), kWhite, 327, 27, 100, Anchor::Top, Alignment::Right)};
  // The maker's icon is its initials; the others are drawings.
  if ((index & 3) == 0) runs.push_back(Run("TS", Sans(22, true), kWhite, 13, 20, 41, Anchor::Top, Alignment::Center));
  return runs;
}

std::vector<TextRun> AboutTexts() {
  const auto label = [](const char* text, int top) {
    return Run(text, Sans(11, true), kNavy, 0, top, 84, Anchor::Top, Alignment::Right);
  };
  const auto value = [](std::string text, int top, bool link) {
    return Run(std::move(text), link ? Underlined(Sans(11, true)) : Sans(11, true), kWhite, 91, top, 199, Anchor::Top);
  };
  const auto buy = [](int top) {
    return Run("BUY", Sans(9, true), kWhite, 47, top, 30, Anchor::Top, Alignment::Center);
  };
  const auto product = [](const char* text, int top) {
    return Run(text, Sans(11, true), kWhite, 82, top, 150, Anchor::Top);
  };
  return {Run("Kestrun", Sans(24, true), kWhite, 56, 34, 112),
          Run(std::string("version ") + KESTRUN_VERSION, Sans(11), kWhite, 172, 34, 190),
          Run("Take charge of what starts with Windows.", Sans(11), kWhite, 14, 67, 352),
          label("Author:", 84), label("Web site:", 103), label("E-mail:", 119),
          value("Tamsel Soft", 84, false), value(kWeb, 103, true), value(kSupportMail, 119, true),
          Run("Featured products", Sans(11, true), kNavy, 14, 142, 352, Anchor::Top),
          buy(160), product("Tamsel DiskTally", 159), After("- disk use at a glance", Sans(11), 6, 159, 150),
          buy(177), product("Tamsel ClipKeeper", 176), After("- clipboard history", Sans(11), 6, 176, 150)};
}

}  // namespace kestrun
