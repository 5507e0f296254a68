// The main window under a real pointer: tile captions, and what Save and Remove ask and act on.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>


#include "gui/Gdi.h"
#include "tests/gui/Pump.h"
#include "tests/store/PrefixSeed.h"
#include "ui/Messageform.h"
#include "ui/Aboutform.h"
#include "ui/Bitmaps.h"
#include "ui/Resources.h"
#include "ui/Startupmain.h"
#include "ui/Theme.h"

namespace kestrun {
namespace {

POINT ScreenCentre(TForm1& form, gui::GraphicControl& control) {
  RECT r = form.Host().ClientRectOf(control);
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(form.Handle(), &p);
  return p;
}

void ClickTile(TForm1& main, gui::GraphicControl& tile) {
  POINT at = ScreenCentre(main, tile);
  ScreenToClient(main.Handle(), &at);
  PostMessageA(main.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  PostMessageA(main.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

// Steps that answer every box of ours with its default button (Yes, or OK) and keep what it said; the
// ticks only bound how long a box may take to come.
std::vector<std::function<void()>> AnswerBoxes(std::vector<std::string>& shown, int ticks = 60) {
  std::vector<std::function<void()>> steps(ticks, [&shown] {
    auto* box = dynamic_cast<TfmMessageBox*>(gui::Form::FromHandle(GetActiveWindow()));
    if (!box || !box->Visible()) return;
    shown.push_back(box->lMessage->Text());
    PostMessageA(box->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  });
  return steps;
}

// Every test starts from no startup entries and leaves none, whatever assertion ended it.
class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override { test::DeleteStartupKeys(); }
  void TearDown() override { test::DeleteStartupKeys(); }
};

int RowOf(const TForm1& main, const std::string& name, int enabled = 1) {
  for (int i = 0; i < static_cast<int>(main.Rows().size()); ++i)
    if (main.Rows()[i].name == name && main.Rows()[i].record.GetEnabled() == enabled) return i;
  return -1;
}

TEST_F(MainWindow, CaptionTurnsWhiteWhenThePointerLeavesAfterAModalBox) {
  TForm1 main(SystemPlatform());
  TfmAbout about(&main, SystemPlatform());
  main.SetAboutBox(&about);
  main.Show();
  const POINT tile = ScreenCentre(main, *main.bbtAbout);
  SetCursorPos(tile.x, tile.y);
  EXPECT_TRUE(test::WaitFor([&] { return main.lAbout->TextColor() == kHoverRed; }));

  // The pointer stays on the tile while the About box is up and closed again with Escape.
  bool aboutShown = false;
  test::Steps steps({[&] {
    aboutShown = about.Visible();
    PostMessageA(about.Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  }});
  ClickTile(main, *main.bbtAbout);
  EXPECT_TRUE(test::WaitFor([&] { return aboutShown && !about.Visible(); }));
  EXPECT_FALSE(steps.Forced());
  EXPECT_EQ(main.lAbout->TextColor(), kHoverRed);

  // Straight onto the list, a window of its own: the form sees no move, only the leave.
  const POINT list = ScreenCentre(main, *main.Panel1);
  SetCursorPos(list.x, list.y);
  EXPECT_TRUE(test::WaitFor([&] { return main.lAbout->TextColor() == kCaptionWhite; }));
}

// Save Settings against a parking key the user may not write: the box says why, naming the entry.
TEST_F(MainWindow, AMoveTheSystemRefusesIsShownWithItsReason) {
  const std::string run = test::VersionKey("Run");
  test::SetString(HKEY_CURRENT_USER, run, "Locked out", "C:\\a.exe");
  std::vector<std::string> shown;
  {
    test::LockedKey lock(HKEY_CURRENT_USER, test::VersionKey("Run-"));
    TForm1 main(SystemPlatform());
    main.Show();
    main.lvStartup.SetChecked(RowOf(main, "Locked out"), false);
    test::Steps steps(AnswerBoxes(shown));
    ClickTile(main, *main.bbtSaveSettings);
    EXPECT_TRUE(test::WaitFor([&] { return !shown.empty(); }));
    EXPECT_FALSE(steps.Forced());
  }
  // Broken into lines the box can show: it does not wrap by itself.
  EXPECT_EQ(shown, std::vector<std::string>{"\n'Locked out' could not be disabled:\nAccess denied."});
  EXPECT_TRUE(test::ReadRaw(HKEY_CURRENT_USER, run, "Locked out").has_value());
}

// The pixels a bitmap puts on a 32-bit surface of its size.
std::vector<DWORD> Drawn(HGDIOBJ bitmap) {
  BITMAP size{};
  if (!bitmap || !GetObjectA(bitmap, sizeof size, &size)) return {};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.bmWidth, -size.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  UniqueGdiObject surface(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  gui::UniqueDc target(CreateCompatibleDC(nullptr)), source(CreateCompatibleDC(nullptr));
  gui::SelectObjectGuard toSurface(target.Get(), surface.Get()), fromBitmap(source.Get(), bitmap);
  BitBlt(target.Get(), 0, 0, size.bmWidth, size.bmHeight, source.Get(), 0, 0, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const DWORD*>(bits);
  return {pixels, pixels + size.bmWidth * size.bmHeight};
}

// The program keeps its pictures compressed: each, at every scale, draws exactly as the BMP painted
// for it at build time, whether decoded ahead at start (once, for one scale) or when asked for.
TEST(Pictures, DrawAsPaintedAtEveryScale) {
  const char* names[] = {"title", "logo", "banner0", "banner1", "banner2", "banner3", "about"};  // IDB_TITLE...
  const std::pair<int, const char*> scales[] = {{96, ""}, {120, "-125"}, {144, "-150"}, {192, "-200"}};
  const StartPictures ahead(150);
  for (int round = 0; round < 2; ++round) {  // the second round decodes every one here
    for (int i = 0; i <= IDB_ABOUT - IDB_TITLE; ++i) {
      for (const auto& [dpi, suffix] : scales) {
        const std::string file = std::string("Z:") + KESTRUN_TEST_ART_DIR + "/" + names[i] + suffix + ".bmp";
        const UniqueGdiObject painted(
            LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        const DpiBitmap decoded = LoadBitmapForDpi(IDB_TITLE + i, dpi);
        EXPECT_EQ(decoded.dpi, dpi) << file;
        const std::vector<DWORD> expected = Drawn(painted.Get());
        EXPECT_TRUE(!expected.empty() && Drawn(decoded.bitmap.Get()) == expected) << file << ": drawn differently";
      }
    }
  }
}

// A picture cut short anywhere, or of another kind of PNG, is refused whole: no partial picture.
TEST(Pictures, RefusedWhenCutOrOfAnotherKind) {
  const std::string png = test::FileBytes(std::string("Z:") + KESTRUN_TEST_ART_DIR + "/banner3.png").value_or("");
  ASSERT_TRUE(DecodePng(png));
  for (std::size_t size = 0; size < png.size(); size += 7)
    EXPECT_FALSE(DecodePng(std::string_view(png).substr(0, size))) << "cut at " << size;
  std::string palette = png;
  palette[25] = 3;  // the header's colour type
  EXPECT_FALSE(DecodePng(palette));
}

// Opens the window, lets prepare mark and select, presses Remove answering Yes to every box up to the
// last one, the one saying last, and gives back the boxes' texts.
std::vector<std::string> RemoveAfter(const std::function<void(TForm1&)>& prepare, const char* last = "delete") {
  std::vector<std::string> shown;
  TForm1 main(SystemPlatform());
  main.Show();
  prepare(main);
  test::Steps steps(AnswerBoxes(shown));
  ClickTile(main, *main.bbtRemove);
  EXPECT_TRUE(test::WaitFor([&] { return !shown.empty() && shown.back().find(last) != std::string::npos; }));
  return shown;
}

// An entry switched off in Windows' own settings (Task Manager's flag) is no change of the user's:
// nothing is asked until a mark really changes, and Remove acts on the row chosen, wherever a save
// moved the rows around it.
TEST_F(MainWindow, RemoveAsksOnlyAboutRealChangesAndDeletesTheChosenEntry) {
  const std::string run = test::VersionKey("Run");
  for (const char* name : {"Aaa", "Bbb", "Ccc", "Ddd"}) test::SetString(HKEY_CURRENT_USER, run, name, "C:\\x.exe");
  const std::string off("\x03\0\0\0\0\0\0\0\0\0\0\0", 12);
  test::SetRaw(HKEY_CURRENT_USER, test::ApprovedKey("Run"), "Aaa", REG_BINARY, off.data(), 12);
  const std::vector<std::string> shown = RemoveAfter([](TForm1& main) {
    EXPECT_FALSE(main.UnsavedMarks());
    main.lvStartup.SetChecked(RowOf(main, "Aaa"), true);
    EXPECT_TRUE(main.UnsavedMarks());
    main.lvStartup.SetChecked(RowOf(main, "Aaa"), false);
    main.lvStartup.SetChecked(RowOf(main, "Bbb"), false);
    main.lvStartup.Select(RowOf(main, "Ddd"));
  });
  // The box sets each text one line down.
  const std::string removeDdd = "\n\nDo you really want to delete \nDdd from Startup?";
  EXPECT_EQ(shown, (std::vector<std::string>{"\n\nSave changes to the startup list?", removeDdd}));
  EXPECT_FALSE(test::ReadRaw(HKEY_CURRENT_USER, run, "Ddd").has_value());
  EXPECT_TRUE(test::ReadRaw(HKEY_CURRENT_USER, test::VersionKey("Run-"), "Bbb").has_value());
  EXPECT_TRUE(test::ReadRaw(HKEY_CURRENT_USER, run, "Ccc").has_value());
}

// Parking Foo is refused while the parking key holds another Foo: Remove deletes the live Foo it was
// asked about, never the parked one.
TEST_F(MainWindow, RemoveAfterARefusedMoveDeletesTheEntryWhereItStayed) {
  test::SetString(HKEY_CURRENT_USER, test::VersionKey("Run"), "Foo", "C:\\foo.exe");
  test::SetString(HKEY_CURRENT_USER, test::VersionKey("Run-"), "Foo", "C:\\other.exe");
  const std::vector<std::string> shown = RemoveAfter([](TForm1& main) {
    main.lvStartup.SetChecked(RowOf(main, "Foo"), false);
    main.lvStartup.Select(RowOf(main, "Foo"));
  });
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(), "\n\nDo you really want to delete \nFoo from Startup?");
  EXPECT_FALSE(test::ReadRaw(HKEY_CURRENT_USER, test::VersionKey("Run"), "Foo").has_value());
  const auto parked = test::ReadRaw(HKEY_CURRENT_USER, test::VersionKey("Run-"), "Foo");
  ASSERT_TRUE(parked.has_value());
  EXPECT_EQ(parked->data, std::string("C:\\other.exe", 13));
}

// A packaged app's task cannot be removed: the one box says what to do instead, and asks nothing.
TEST_F(MainWindow, RemovingAPackagedTaskIsRefusedWithWhatToDoInstead) {
  const std::string folder = "C:\\kestrun-remove-package";
  test::AddPackage(folder, "Chat_1_x64__p", test::OneTaskManifest("T", "Chat"));
  const std::vector<std::string> shown =
      RemoveAfter([](TForm1& main) { main.lvStartup.Select(RowOf(main, "Chat")); }, "uninstall");
  test::RemoveTree(folder);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("'Chat' could not be removed"), std::string::npos) << shown[0];
}

}  // namespace
}  // namespace kestrun
