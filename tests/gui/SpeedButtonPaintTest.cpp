// What the button puts on its parent's surface in each state.
#include <gtest/gtest.h>

#include "controls/Kspeedbutton.h"
#include "gui/Gdi.h"
#include "tests/gui/FakePort.h"

namespace kestrun {
namespace {

constexpr COLORREF kBackground = RGB(0, 128, 0);
constexpr COLORREF kIdle = RGB(255, 0, 0);
constexpr COLORREF kHot = RGB(0, 0, 255);
constexpr COLORREF kPressed = RGB(255, 255, 0);

class SpeedButtonPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gui::WindowDc screen(nullptr);
    dc_.Reset(CreateCompatibleDC(screen.Get()));
    surface_.Reset(CreateCompatibleBitmap(screen.Get(), 50, 30));
    old_ = SelectObject(dc_.Get(), surface_.Get());
    for (COLORREF c : {kIdle, RGB(1, 1, 1), kHot, kPressed}) AddImage(c);
    host_.Add(button_, nullptr);
    button_.SetImages(&images_);
    button_.SetImageIndexIDLE(0);
    button_.SetImageIndexDisabled(1);
    button_.SetImageIndexUp(2);
    button_.SetImageIndexDown(3);
  }
  void TearDown() override { SelectObject(dc_.Get(), old_); }
  void AddImage(COLORREF color) {
    gui::WindowDc screen(nullptr);
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.Get(), 8, 8));
    gui::UniqueDc dc(CreateCompatibleDC(screen.Get()));
    {
      gui::SelectObjectGuard select(dc.Get(), bitmap.Get());
      gui::FillSolid(dc.Get(), {0, 0, 8, 8}, color);
    }
    images_.Add(static_cast<HBITMAP>(bitmap.Get()));
  }
  void Paint() {
    gui::FillSolid(dc_.Get(), {0, 0, 50, 30}, kBackground);
    button_.Paint(dc_.Get());
  }
  COLORREF At(int x, int y) { return GetPixel(dc_.Get(), x, y); }
  void Press() {
    port_.cursor = POINT{10, 10};
    host_.ButtonDown(gui::MouseButton::Left, {10, 10}, {}, false);
  }

  test::FakePort port_;
  gui::ControlHost host_{port_};
  gui::ImageList images_{8, 8};
  TKSpeedButton button_{{0, 0, 40, 20}};
  gui::UniqueDc dc_;
  UniqueGdiObject surface_;
  HGDIOBJ old_ = nullptr;
};

TEST_F(SpeedButtonPaintTest, NonFlatShowsTheIdleImageAtTwoTwoEvenWhenPressed) {
  Paint();
  EXPECT_EQ(At(2, 2), kIdle);
  EXPECT_NE(At(0, 0), kBackground);  // the push-button frame
  Press();
  Paint();
  EXPECT_EQ(button_.State(), ibsPressed);
  EXPECT_EQ(At(2, 2), kIdle);
}

TEST_F(SpeedButtonPaintTest, FlatBorderedFacesPickTheirImagesAtOneOne) {
  button_.SetFlat(true);
  button_.SetDrawBorderInFlatMode(true);
  Paint();
  EXPECT_EQ(At(1, 1), kIdle);
  EXPECT_EQ(At(0, 0), kBackground);  // idle and transparent: no edge
  EXPECT_EQ(At(30, 15), kBackground);

  port_.cursor = POINT{10, 10};
  host_.MouseMove({10, 10}, {});
  Paint();
  EXPECT_EQ(At(1, 1), kHot);
  EXPECT_NE(At(0, 0), kBackground);   // raised edge
  EXPECT_EQ(At(30, 15), kBackground);  // parent shows through inside

  Press();
  Paint();
  EXPECT_EQ(At(1, 1), kPressed);
  EXPECT_NE(At(0, 0), kBackground);

  button_.SetEnabled(false);
  Paint();
  EXPECT_EQ(At(1, 1), RGB(1, 1, 1));
}

TEST_F(SpeedButtonPaintTest, FlatWithoutImagesOrBorderDrawsNothingWhenIdle) {
  button_.SetFlat(true);
  button_.SetImages(nullptr);
  Paint();
  for (int x : {0, 1, 20, 39})
    for (int y : {0, 1, 10, 19}) EXPECT_EQ(At(x, y), kBackground);
  button_.SetTransparent(false);
  button_.SetColor(RGB(200, 100, 50));
  Paint();
  EXPECT_EQ(At(0, 0), RGB(200, 100, 50));
  EXPECT_EQ(At(39, 19), RGB(200, 100, 50));
  EXPECT_EQ(At(40, 20), kBackground);
}

TEST_F(SpeedButtonPaintTest, IndexOutsideTheListDrawsNoImage) {
  button_.SetFlat(true);
  button_.SetImageIndexIDLE(7);
  Paint();
  EXPECT_EQ(At(0, 0), kBackground);
  button_.SetImageIndexIDLE(-1);
  Paint();
  EXPECT_EQ(At(0, 0), kBackground);
}

}  // namespace
}  // namespace kestrun
