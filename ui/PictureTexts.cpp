#include "ui/PictureTexts.h"

#include "KestrunVersion.h"
#include "base/Texts.h"
#include "ui/MakerAddresses.h"
#include "ui/TextIds.h"

namespace kestrun {

namespace {

using gui::Alignment;
using gui::Anchor;
using gui::TextRun;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kNavy = RGB(0x07, 0x40, 0x6E);
constexpr COLORREF kDeep = RGB(0x06, 0x67, 0xA6);
constexpr char kWeb[] = "www.tamselsoft.example";

gui::FontStyle Sans(int size, bool bold = false) { return {"DejaVu Sans", size, bold}; }  // untranslated: a font

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

TextRun Shown(TextRun run, gui::Shown shown) {
  run.shown = shown;
  return run;
}

}  // namespace

// The picture draws the help and close marks itself.
std::vector<TextRun> TitleTexts() {
  return {Run("Tamsel Soft Kestrun", Sans(11, true), kWhite, 21, 13, 393),  // untranslated: the product's name
          Shown(Run("?", Sans(11, true), kWhite, 418, 2, 13, Anchor::Top, Alignment::Center),
                gui::Shown::WithoutPicture),
          Shown(Run("X", Sans(11, true), kWhite, 434, 2, 13, Anchor::Top, Alignment::Center),
                gui::Shown::WithoutPicture)};
}

// The name stands on a deep shadow one pixel down and right.
std::vector<TextRun> LogoTexts() {
  return {Shown(Run("Kestrun", Sans(14, true), kDeep, 1, 39, 93, Anchor::Top, Alignment::Center),  // untranslated
                gui::Shown::OverPicture),
          Run("Kestrun", Sans(14, true), kWhite, 0, 38, 93, Anchor::Top, Alignment::Center),  // untranslated
          Run("TAMSEL SOFT", Sans(9, true), kNavy, 0, 55, 93, Anchor::Top, Alignment::Center)};  // untranslated
}

// Headline, copy and footer left of the button, the label centred on it. The buttons' widths are those
// make-bitmaps.sh paints, each room for its longest label; the button ends 12 pixels before the edge.
std::vector<TextRun> BannerTexts(int index) {
  struct Banner {
    const char* headline;
    unsigned line, foot, button;
    int buttonWidth;
  };
  static const Banner kBanners[] = {
      {"Tamsel Soft", IDS_BANNER0_LINE, IDS_BANNER_VISIT, IDS_BANNER_VISIT_US, 100},  // untranslated: the maker
      {"Tamsel DiskTally", IDS_BANNER1_LINE, IDS_BANNER_ORDER, IDS_BANNER_BUY_NOW, 76},  // untranslated: a product
      {"Tamsel ClipKeeper", IDS_BANNER2_LINE, IDS_BANNER_ORDER, IDS_BANNER_BUY_NOW, 76},  // untranslated
      {"Kestrun", IDS_SLOGAN, IDS_BANNER_UPDATES, IDS_BANNER_WHATS_NEW, 100}};  // untranslated: the product
  const Banner& banner = kBanners[index & 3];
  const int buttonLeft = 449 - 12 - banner.buttonWidth;
  const int room = buttonLeft - 8 - 72;
  std::vector<TextRun> runs{Run(banner.headline, Sans(17, true), kWhite, 72, 25, room),
                            Run(Text(banner.line), Sans(11), kWhite, 72, 42, room),
                            Run(Text(banner.foot, {kWeb}), Sans(10, true), kNavy, 72, 58, room),
                            Run(Text(banner.button), Sans(11, true), kWhite, buttonLeft, 27, banner.buttonWidth,
                                Anchor::Top, Alignment::Center)};
  // The maker's icon, its initials, is a drawing of the picture.
  if ((index & 3) == 0)
    runs.push_back(Shown(Run("TS", Sans(22, true), kWhite, 13, 20, 41, Anchor::Top, Alignment::Center),
                         gui::Shown::WithoutPicture));
  return runs;
}

// The buy mark, as make-bitmaps.sh paints it, is room for its word in any language; the product's name
// starts 5 pixels after it.
std::vector<TextRun> AboutTexts() {
  const auto label = [](unsigned id, int top) {
    return Run(Text(id), Sans(11, true), kNavy, 0, top, 84, Anchor::Top, Alignment::Right);
  };
  const auto value = [](std::string text, int top, bool link) {
    return Run(std::move(text), link ? Underlined(Sans(11, true)) : Sans(11, true), kWhite, 91, top, 199, Anchor::Top);
  };
  constexpr int buyWidth = 48;
  const auto buy = [](int top) {
    return Run(Text(IDS_ABOUT_BUY), Sans(9, true), kWhite, 47, top, buyWidth, Anchor::Top, Alignment::Center);
  };
  const auto product = [](const char* text, int top) {
    return Run(text, Sans(11, true), kWhite, 52 + buyWidth, top, 150, Anchor::Top);
  };
  return {Run("Kestrun", Sans(24, true), kWhite, 56, 34, 112),  // untranslated: the product's name
          Run(Text(IDS_ABOUT_VERSION, {KESTRUN_VERSION}), Sans(11), kWhite, 172, 34, 190),
          Run(Text(IDS_SLOGAN), Sans(11), kWhite, 14, 67, 352),
          label(IDS_ABOUT_AUTHOR, 84), label(IDS_ABOUT_WEB_SITE, 103), label(IDS_ABOUT_MAIL, 119),
          value("Tamsel Soft", 84, false), value(kWeb, 103, true), value(kSupportMail, 119, true),  // untranslated
          Run(Text(IDS_ABOUT_FEATURED), Sans(11, true), kNavy, 14, 142, 352, Anchor::Top),
          buy(160), product("Tamsel DiskTally", 159),  // untranslated: a product
          After(Text(IDS_ABOUT_PITCH1), Sans(11), 6, 159, 150),
          buy(177), product("Tamsel ClipKeeper", 176),  // untranslated: a product
          After(Text(IDS_ABOUT_PITCH2), Sans(11), 6, 176, 150)};
}

}  // namespace kestrun
