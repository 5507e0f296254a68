// The one rounding rule between the 96-DPI layout and pixels.
#include <gtest/gtest.h>

#include "gui/ControlHost.h"
#include "gui/Dpi.h"
#include "gui/Label.h"

namespace kestrun {
namespace {

TEST(DpiScale, NinetySixIsExactEdgesRoundOnceAndUnscaleNeverLosesAPixel) {
  for (int v : {0, 1, 7, 94, 375, 449}) EXPECT_EQ(gui::Scale(v, 96), v);
  EXPECT_EQ(gui::Scale(449, 144), 674);  // 673.5: halves away from zero, as MulDiv
  EXPECT_EQ(gui::Scale(375, 120), 469);  // 468.75
  // Neighbours that touch at 96 DPI still touch: Panel2 (0..94) and Panel1 (94..302).
  const RECT upper = gui::ScaleRect(0, 0, 449, 94, 120);
  const RECT lower = gui::ScaleRect(7, 94, 435, 208, 120);
  EXPECT_EQ(upper.bottom, lower.top);
  // A box measured in pixels gets a design size that gives it back whole, with a pixel to spare for
  // edges that round apart; at 96 DPI nothing changes.
  EXPECT_EQ(gui::Unscale(37, 96, 1), 37);
  for (int dpi : {120, 144, 168, 192})
    for (int px = 1; px < 300; ++px) {
      const int design = gui::Unscale(px, dpi, 1);
      for (int left = 0; left < 8; ++left)
        ASSERT_GE(gui::Scale(left + design, dpi) - gui::Scale(left, dpi), px) << dpi << " " << px << " " << left;
      ASSERT_LT(gui::Scale(design - 1, dpi), px + 1) << "not the smallest: " << dpi << " " << px;
    }
}

class NoWindow : public gui::HostPort {
 public:
  void SetCapture() override {}
  void ReleaseCapture() override {}
  [[nodiscard]] bool CaptureHeld() const override { return false; }
  void TrackMouseLeave() override {}
  void InvalidateRect(const RECT&) override {}
  [[nodiscard]] std::optional<POINT> CursorPos() const override { return std::nullopt; }
  [[nodiscard]] bool Showing() const override { return false; }
};

// Controls keep their design figures; the host's rectangles and the label's font follow the DPI.
TEST(DpiScale, HostScalesControlsAndLabelsRefit) {
  NoWindow port;
  gui::ControlHost host(port);
  gui::LabelStyle style;
  style.text = "Refresh";
  style.font = {"Arial", 11, true};
  gui::Label label({72, 29, 56, 14}, style);
  host.Add(label, nullptr);
  const int width96 = label.Width();
  host.SetDpi(192);
  EXPECT_EQ(label.Left(), 72);
  const RECT rect = host.ClientRectOf(label);
  EXPECT_EQ(rect.left, 144);
  LOGFONTA font{};
  GetObjectA(label.FontHandle(), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -22);
  EXPECT_NEAR(label.Width(), width96, 3);  // the text doubles with its box
  host.SetDpi(96);
  EXPECT_EQ(label.Width(), width96);
  host.Remove(label);
}

}  // namespace
}  // namespace kestrun
