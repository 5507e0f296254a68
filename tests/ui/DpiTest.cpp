// The four windows at the DPI Wine reports (the prefix's LogPixels; tests/ui/dpi_test.sh runs this at
// 96, 120, 144 and 192): sizes scale from the 96-DPI layout, and no text is clipped by its box; high
// contrast switched on and off while they are open.
// KESTRUN_EXPECT_DPI, when set, is the DPI the prefix was given: the windows must have taken it.
// KESTRUN_EXPECT_CONTRAST, when set: the prefix held a high-contrast colour set and the user's flag
// before the test started. KESTRUN_EXPECT_GERMAN, when set: the user's language is German (LANG).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "base/Texts.h"
#include "gui/Dpi.h"
#include "tests/gui/Pump.h"
#include "ui/PictureTexts.h"
#include "ui/Aboutform.h"
#include "ui/Createnewform.h"
#include "ui/Messageform.h"
#include "ui/Startupmain.h"
#include "ui/SystemError.h"
#include "ui/TextIds.h"

namespace kestrun {
namespace {

SIZE WindowSize(const gui::Form& form) {
  RECT r;
  GetWindowRect(form.Handle(), &r);
  return {r.right - r.left, r.bottom - r.top};
}

void ExpectScaledSize(const gui::Form& form, int width, int height) {
  const SIZE size = WindowSize(form);
  EXPECT_NEAR(size.cx, width * form.Dpi() / 96.0, 1.0) << form.Caption();
  EXPECT_NEAR(size.cy, height * form.Dpi() / 96.0, 1.0) << form.Caption();
}

// Every shown label's text, measured as it is drawn, lies inside the part of its box that shows.
void ExpectTextsFit(gui::Form& form) {
  int checked = 0;
  for (gui::GraphicControl* control : form.Host().Controls()) {
    auto* label = dynamic_cast<gui::Label*>(control);
    if (!label || label->Text().empty() || !label->Visible()) continue;
    gui::WindowDc screen(nullptr);
    gui::SelectObjectGuard font(screen.Get(), label->FontHandle());
    RECT text{0, 0, label->PixelWidth(), 0};
    DrawTextA(screen.Get(), label->Text().c_str(), static_cast<int>(label->Text().size()), &text,
              label->DrawFlags() | DT_CALCRECT);
    const RECT shown = form.Host().VisibleRectOf(*label);
    const RECT box = form.Host().ClientRectOf(*label);
    EXPECT_LE(text.right, shown.right - box.left) << form.Caption() << ": \"" << label->Text() << "\" too wide";
    EXPECT_LE(text.bottom, shown.bottom - box.top) << form.Caption() << ": \"" << label->Text() << "\" too high";
    ++checked;
  }
  EXPECT_GT(checked, 0) << form.Caption();
}

int ListFontHeight(HWND list) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

int IconWidth(ULONG_PTR icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(reinterpret_cast<HICON>(icon), &info)) return 0;
  BITMAP bitmap{};
  GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

class DpiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* expected = std::getenv("KESTRUN_EXPECT_DPI")) {
      ASSERT_EQ(main.Dpi(), std::atoi(expected));
    }
    main.SetAboutBox(&about);
    main.Show();
    test::Pump(300);
  }
  TForm1 main{SystemPlatform()};
  TfmAbout about{&main, SystemPlatform()};
};

TEST_F(DpiTest, MainWindowScalesAndItsTextsFit) {
  ExpectScaledSize(main, 449, 375);
  ExpectTextsFit(main);
  EXPECT_EQ(ListFontHeight(main.lvStartup.Handle()), -gui::Scale(11, main.Dpi()));
  RECT list;
  GetWindowRect(main.lvStartup.Handle(), &list);
  MapWindowPoints(nullptr, main.Handle(), reinterpret_cast<POINT*>(&list), 2);
  const RECT expected = gui::ScaleRect(7, 94, 435, 208, main.Dpi());
  EXPECT_TRUE(EqualRect(&list, &expected));
  // The tiles and their captions lie where the 96-DPI figures put them, scaled edge by edge.
  const RECT tile = main.Host().ClientRectOf(*main.bbtRefresh);
  const RECT scaled = gui::ScaleRect(71, 25, 58, 58, main.Dpi());
  EXPECT_TRUE(EqualRect(&tile, &scaled));
  // The taskbar's and Alt+Tab's icon: the program's, at this scale, on the class every window shares.
  EXPECT_EQ(IconWidth(GetClassLongPtrA(main.Handle(), GCLP_HICON)), gui::Scale(32, main.Dpi()));
  EXPECT_EQ(IconWidth(GetClassLongPtrA(main.Handle(), GCLP_HICONSM)), gui::Scale(16, main.Dpi()));
}

// The message's lines end above the buttons: a long one makes the box taller.
void ExpectMessageAboveButtons(TfmMessageBox& box) {
  gui::WindowDc screen(nullptr);
  gui::SelectObjectGuard font(screen.Get(), box.lMessage->FontHandle());
  RECT text{0, 0, box.lMessage->PixelWidth(), 0};
  DrawTextA(screen.Get(), box.lMessage->Text().c_str(), static_cast<int>(box.lMessage->Text().size()), &text,
            box.lMessage->DrawFlags() | DT_CALCRECT);
  EXPECT_LE(gui::Scale(box.lMessage->Top(), box.Dpi()) + text.bottom, gui::Scale(box.bbtOk->Top(), box.Dpi()))
      << box.lMessage->Text();
}

// In the user's language: German breaks the longer lines of the journal's warning once more.
TEST_F(DpiTest, EveryMessageBoxLayoutFits) {
  const std::string question = Text(IDS_SAVE_QUESTION);
  const int warningHeight = std::getenv("KESTRUN_EXPECT_GERMAN") ? 217 : 201;
  const std::string warning = JournalWarningText(
      "C:\\ProgramData\\Tamsel Soft\\Kestrun",
      WrappedForMessageBox("C:\\ProgramData\\Tamsel Soft is not for administrators alone: its owner is S-1-5-21-1"));
  for (const auto& [buttons, text, height] :
       {std::tuple{MessageButtons::Ok, question, 153}, {MessageButtons::OkCancel, question, 153},
        {MessageButtons::YesNoCancel, question, 153}, {MessageButtons::YesNo, question, 153},
        {MessageButtons::Ok, warning, warningHeight},
        {MessageButtons::YesNo, Text(IDS_REMOVE_QUESTION, {"OneDrive"}), 153}}) {
    TfmMessageBox* seen = nullptr;
    test::Steps steps({[&] {
      seen = dynamic_cast<TfmMessageBox*>(gui::Form::FromHandle(GetActiveWindow()));
      ASSERT_NE(seen, nullptr);
      ExpectScaledSize(*seen, 310, height);
      ExpectTextsFit(*seen);
      ExpectMessageAboveButtons(*seen);
      seen->SetModalResult(gui::kModalCancel);
    }});
    ShowMessageBox(&main, text, "Confirm", buttons);
    EXPECT_NE(seen, nullptr);
  }
}

TEST_F(DpiTest, CreateDialogAndAboutBoxScaleAndFit) {
  MessageBoxReport report{&main};
  StartupStore store{SystemPlatform(), report};
  TfmStartupCreateDialog dialog(&main, SystemPlatform(), store);
  ExpectScaledSize(dialog, 311, 168);
  ExpectTextsFit(dialog);
  ExpectScaledSize(about, 384, 200);
  RECT edit;
  GetWindowRect(dialog.edFileName.Handle(), &edit);
  EXPECT_NEAR(edit.right - edit.left, 161 * dialog.Dpi() / 96.0, 1.0);
}

// A picture's texts, laid out as drawn over it at its DPI in the user's language: each inside the picture,
// wrapped rather than cut, and none over another but the logo's shadow under its name.
void ExpectPictureTextsFit(const gui::Image& image, const std::vector<gui::TextRun>& runs) {
  gui::WindowDc screen(nullptr);
  const std::vector<RECT> boxes = gui::TextRunBoxes(screen.Get(), runs, image.Dpi());
  const RECT picture{0, 0, image.PixelWidth(), image.PixelHeight()};
  for (size_t i = 0; i < runs.size(); ++i) {
    if (IsRectEmpty(&boxes[i])) continue;
    RECT inside;
    IntersectRect(&inside, &boxes[i], &picture);
    EXPECT_TRUE(EqualRect(&inside, &boxes[i])) << "\"" << runs[i].text << "\" leaves its picture";
    for (size_t j = 0; j < i && runs[i].shown == gui::Shown::Always; ++j) {
      RECT both;
      if (runs[j].shown == gui::Shown::Always && IntersectRect(&both, &boxes[i], &boxes[j]))
        ADD_FAILURE() << "\"" << runs[i].text << "\" lies over \"" << runs[j].text << "\"";
    }
  }
}

TEST_F(DpiTest, PictureTextsFitTheirPictures) {
  ExpectPictureTextsFit(*main.Image1, TitleTexts());
  ExpectPictureTextsFit(*main.Image2, LogoTexts());
  for (int banner = 0; banner < 4; ++banner) ExpectPictureTextsFit(*main.iBanner, BannerTexts(banner));
  ExpectPictureTextsFit(*about.Image1, AboutTexts());
}

// A German user reads German tiles; a word too wide for its tile is broken onto a second line that
// stays on the tile (that each caption fits its box, MainWindowScalesAndItsTextsFit makes sure).
TEST_F(DpiTest, GermanCaptionsStayOnTheirTiles) {
  if (!std::getenv("KESTRUN_EXPECT_GERMAN")) GTEST_SKIP() << "the user's language is not German";
  ASSERT_EQ(TextLanguage(), MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
  EXPECT_EQ(main.lRefresh->Text(), "Aktuali-\nsieren");
  for (const auto& [caption, plate] : {std::pair{main.lRefresh, main.Label2}, {main.lRemove, main.Label3},
                                       {main.lSaveSettings, main.Label1}, {main.lCreateNew, main.Label4}}) {
    const RECT box = main.Host().ClientRectOf(*caption);
    const RECT tile = main.Host().ClientRectOf(*plate);
    RECT both;
    IntersectRect(&both, &box, &tile);
    EXPECT_TRUE(EqualRect(&both, &box)) << caption->Text() << ": off its tile";
  }
}

// Moved to a monitor of another scale: the window takes the suggested rectangle and lays itself out
// again; moved back, it is exactly as it was.
TEST_F(DpiTest, DpiChangeRelaysTheWindowAndBackAgain) {
  const int start = main.Dpi();
  const SIZE before = WindowSize(main);
  const int other = start == 192 ? 120 : 192;
  RECT suggested{10, 10, 10 + gui::Scale(449, other), 10 + gui::Scale(375, other)};
  SendMessageA(main.Handle(), WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(main.Dpi(), other);
  RECT now;
  GetWindowRect(main.Handle(), &now);
  EXPECT_TRUE(EqualRect(&now, &suggested));
  EXPECT_EQ(ListFontHeight(main.lvStartup.Handle()), -gui::Scale(11, other));
  ExpectTextsFit(main);
  // Captions keep the boxes that centre them on their tiles.
  EXPECT_EQ(main.lRefresh->Width(), 56);
  EXPECT_EQ(main.lSaveSettings->Width(), 56);
  EXPECT_EQ(main.lSaveSettings->Height(), 56);

  RECT back{239, 158, 239 + before.cx, 158 + before.cy};
  SendMessageA(main.Handle(), WM_DPICHANGED, MAKEWPARAM(start, start), reinterpret_cast<LPARAM>(&back));
  EXPECT_EQ(main.Dpi(), start);
  EXPECT_EQ(WindowSize(main).cx, before.cx);
  EXPECT_EQ(WindowSize(main).cy, before.cy);
  EXPECT_EQ(ListFontHeight(main.lvStartup.Handle()), -gui::Scale(11, start));
}

// The client area as it is on the screen, each pixel 0xRRGGBB. Only what is already invalid is painted
// first: a change that asked for no repaint shows as stale pixels.
std::vector<DWORD> ClientPixels(const gui::Form& form) {
  RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT client;
  GetClientRect(form.Handle(), &client);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  UniqueGdiObject surface(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  gui::UniqueDc target(CreateCompatibleDC(nullptr));
  gui::SelectObjectGuard select(target.Get(), surface.Get());
  gui::WindowDc window(form.Handle());
  BitBlt(target.Get(), 0, 0, client.right, client.bottom, window.Get(), 0, 0, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const DWORD*>(bits);
  return {pixels, pixels + client.right * client.bottom};
}

// Drawn in high contrast: every pixel is one of the system's colours, or its inverse where the system
// marks the focus by inverting (an edit's caret, the list's focus rectangle).
void ExpectSystemColorsOnly(const gui::Form& form) {
  EXPECT_TRUE(form.HighContrast()) << form.Caption();
  std::set<DWORD> system;
  for (int i = COLOR_SCROLLBAR; i <= COLOR_MENUBAR; ++i) {
    const COLORREF c = GetSysColor(i);
    const auto pixel = static_cast<DWORD>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
    system.insert({pixel, ~pixel & 0xFFFFFF});
  }
  const std::vector<DWORD> pixels = ClientPixels(form);
  const auto strays = std::count_if(pixels.begin(), pixels.end(), [&](DWORD p) { return !system.count(p & 0xFFFFFF); });
  EXPECT_EQ(strays, 0) << form.Caption() << ": pixels in no system colour";
}

using SystemColors = std::array<COLORREF, COLOR_MENUBAR + 1>;

// Yellow on black with a cyan highlight: the list's text must not take its ground's white.
SystemColors YellowOnBlack() {
  SystemColors colors;
  colors.fill(RGB(0, 0, 0));
  for (int i : {COLOR_WINDOWTEXT, COLOR_BTNTEXT, COLOR_MENUTEXT, COLOR_CAPTIONTEXT, COLOR_INFOTEXT, COLOR_WINDOWFRAME,
                COLOR_BTNHIGHLIGHT, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_INACTIVECAPTIONTEXT})
    colors[i] = RGB(255, 255, 0);
  colors[COLOR_HIGHLIGHT] = colors[COLOR_HOTLIGHT] = colors[COLOR_MENUHILIGHT] = RGB(0, 255, 255);
  colors[COLOR_GRAYTEXT] = RGB(0, 255, 0);
  colors[COLOR_BTNSHADOW] = RGB(128, 128, 128);
  return colors;
}

// As Windows switches it, in the way Wine allows: the colours set (every window hears of it at once),
// then the user's flag where Windows keeps it (Wine's SPI_GETHIGHCONTRAST answers nothing) and the
// setting's change said to every window. Switched back when it ends.
class HighContrastOn {
 public:
  explicit HighContrastOn(const SystemColors& colors) {
    for (int i = 0; i < static_cast<int>(before_.size()); ++i) before_[i] = GetSysColor(i);
    Switch(colors, "127");
  }
  HighContrastOn(const HighContrastOn&) = delete;
  HighContrastOn& operator=(const HighContrastOn&) = delete;
  ~HighContrastOn() { Switch(before_, "126"); }

 private:
  static void Switch(const SystemColors& colors, const char* flags) {
    std::array<int, COLOR_MENUBAR + 1> indices;
    for (int i = 0; i < static_cast<int>(indices.size()); ++i) indices[i] = i;
    SetSysColors(static_cast<int>(indices.size()), indices.data(), colors.data());
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Accessibility\\HighContrast", "Flags", REG_SZ, flags, 4);
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_NORMAL, 2000, nullptr);
    test::Pump(200);
  }
  SystemColors before_;
};

// Switched on and off while every window is open, or open already in it: each redraws at once in the
// system's colours, the list's text never on its own colour, and a tick not yet saved stays. Switched
// off, the main window is the design's again to the pixel.
TEST_F(DpiTest, HighContrastRedrawsAtOnceAndBackExactly) {
  const bool atStart = std::getenv("KESTRUN_EXPECT_CONTRAST") != nullptr;
  EXPECT_EQ(main.HighContrast(), atStart);
  main.Timer1->SetEnabled(false);
  SetCursorPos(1020, 760);
  ASSERT_GT(main.lvStartup.Count(), 0);  // Wine's own entry, in every new prefix
  main.lvStartup.SetChecked(0, !main.lvStartup.Checked(0));
  const std::vector<DWORD> design = ClientPixels(main);
  MessageBoxReport report{&main};
  StartupStore store{SystemPlatform(), report};
  {
    const HighContrastOn contrast(YellowOnBlack());
    ExpectSystemColorsOnly(main);
    EXPECT_EQ(ListView_GetBkColor(main.lvStartup.Handle()), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(ListView_GetTextColor(main.lvStartup.Handle()), GetSysColor(COLOR_WINDOWTEXT));
    // The banner's picture gives way to its texts, in the window's text colour (yellow, 0xFFFF00).
    const RECT banner = main.Host().ClientRectOf(*main.iBanner);
    const std::vector<DWORD> shown = ClientPixels(main);
    RECT client;
    GetClientRect(main.Handle(), &client);
    long ink = 0;
    for (LONG y = banner.top; y < banner.bottom; ++y)
      for (LONG x = banner.left; x < banner.right; ++x) ink += shown[static_cast<size_t>(y * client.right + x)] == 0xFFFF00;
    EXPECT_GT(ink, 200) << "the banner's texts";
    const auto lookAndClose = [] {
      gui::Form* shown = gui::Form::FromHandle(GetActiveWindow());
      ASSERT_NE(shown, nullptr);
      ExpectSystemColorsOnly(*shown);
      shown->SetModalResult(gui::kModalCancel);
    };
    TfmStartupCreateDialog dialog(&main, SystemPlatform(), store);
    for (const auto& show : std::vector<std::function<void()>>{
             [&] { about.ShowModal(); }, [&] { dialog.ShowModal(); },
             [&] { ShowMessageBox(&main, "\nSave changes?", "Confirm", MessageButtons::YesNoCancel); }}) {
      const test::Steps steps({lookAndClose});
      show();
    }
  }
  EXPECT_FALSE(main.HighContrast());
  EXPECT_EQ(ListView_GetTextColor(main.lvStartup.Handle()), RGB(0, 0, 0));
  if (!atStart) {
    EXPECT_TRUE(ClientPixels(main) == design) << "not drawn as before high contrast";
  }
  EXPECT_TRUE(main.UnsavedMarks());
}

}  // namespace
}  // namespace kestrun
