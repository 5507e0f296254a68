// The message box shown for real under Wine, driven by posted input from a thread timer.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "gui/Gdi.h"
#include "tests/gui/Pump.h"
#include "ui/Messageform.h"

namespace kestrun {
namespace {

using Box = TfmMessageBox;
using Act = std::function<void(Box&)>;

template <class Control>
Act Click(Control* Box::*control) {
  return [control](Box& box) { test::ClickOn(box, *(box.*control)); };
}

Act Key(WPARAM key) {
  return [key](Box& box) { PostMessageA(box.Handle(), WM_KEYDOWN, key, 1); };
}

// Shows a box and runs acts on it (in the box's own loop) once it is up; returns the box's result.
int Answer(int set, const std::vector<Act>& acts, gui::Form* owner = nullptr, const std::string& text = "Question") {
  static int serial = 0;
  std::string caption = "Box " + std::to_string(++serial);
  test::Steps steps({[&] {
    auto* box = dynamic_cast<Box*>(gui::Form::FromHandle(FindWindowA("KestrunForm", caption.c_str())));
    if (!box) return;
    for (const Act& act : acts) act(*box);
  }});
  const int result = static_cast<int>(ShowMessageBox(owner, text, caption, static_cast<MessageButtons>(set)));
  EXPECT_FALSE(steps.Forced()) << "the box had to be closed by force";
  return result;
}

// Each set shows its trios (button, plate under it, caption on the plate) at fixed places, the others
// hidden; the system menu's close gives 2. Figures: left, top, width, height.
TEST(MessageForm, EachButtonSetShowsItsTriosAtTheirPlaces) {
  using Figures = std::array<int, 4>;
  using Trio = std::tuple<std::string, Figures, Figures, Figures>;  // caption; button, plate, caption
  const auto trio = [](const char* name, int button, int plate) {
    return Trio{name, {button, 100, 90, 40}, {plate, 101, 88, 38}, {plate, 113, 88, 13}};
  };
  const std::map<int, std::vector<Trio>> sets{
      {0, {trio("OK", 108, 109)}},
      {1, {trio("OK", 43, 44), trio("Cancel", 175, 176)}},
      {3, {trio("Yes", 9, 10), trio("No", 106, 107), trio("Cancel", 203, 204)}},
      {4, {trio("Yes", 43, 44), trio("No", 175, 176)}}};
  const auto figures = [](const gui::GraphicControl* c) {
    return Figures{c->Left(), c->Top(), c->Width(), c->Height()};
  };
  for (const auto& [set, expected] : sets) {
    SCOPED_TRACE(testing::Message() << "set " << set);
    std::vector<Trio> shown;
    int result = Answer(set, {[&](Box& box) {
      for (auto [button, plate, caption] : {std::tuple{box.bbtYes, box.labYes, box.lYes}, {box.bbtNo, box.labNo, box.lNo},
                                            {box.bbtOk, box.labOk, box.lOk},
                                            {box.bbtCancel, box.labCancel, box.lCancel}}) {
        EXPECT_EQ(plate->Visible(), button->Visible()) << caption->Text();
        EXPECT_EQ(caption->Visible(), button->Visible()) << caption->Text();
        if (button->Visible()) shown.emplace_back(caption->Text(), figures(button), figures(plate), figures(caption));
      }
      PostMessageA(box.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    }});
    std::sort(shown.begin(), shown.end(), [](const Trio& a, const Trio& b) { return std::get<1>(a) < std::get<1>(b); });
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(result, 2);
  }
}

// Set 0 has no cancel button: its Escape is passed over and Enter still answers. A click on the text
// answers nothing.
TEST(MessageForm, EveryButtonAnswersByClickAndByKey) {
  using Case = std::tuple<int, std::vector<Act>, int>;  // set, acts, result
  const std::vector<Case> cases{
      {0, {Click(&Box::bbtOk)}, 1},  {1, {Click(&Box::bbtOk)}, 1}, {1, {Click(&Box::bbtCancel)}, 2},
      {3, {Click(&Box::bbtYes)}, 6}, {3, {Click(&Box::bbtNo)}, 7}, {3, {Click(&Box::bbtCancel)}, 2},
      {4, {Click(&Box::bbtYes)}, 6}, {4, {Click(&Box::bbtNo)}, 7},
      {0, {Key(VK_RETURN)}, 1},      {1, {Key(VK_RETURN)}, 1},     {1, {Key(VK_ESCAPE)}, 2},
      {3, {Key(VK_RETURN)}, 6},      {3, {Key(VK_ESCAPE)}, 7},     {4, {Key(VK_RETURN)}, 6},
      {4, {Key(VK_ESCAPE)}, 7},      {0, {Key(VK_ESCAPE), Key(VK_RETURN)}, 1},
      {4, {Click(&Box::lMessage), Key(VK_ESCAPE)}, 7},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const auto& [set, acts, result] = cases[i];
    EXPECT_EQ(Answer(set, acts), result) << "case " << i;
  }
}

// A warning from a modal dialog, owned by the main window: centred over the main window, the dialog
// disabled under it and active again afterwards, the main window disabled until the dialog closes.
TEST(MessageForm, BoxOverAModalDialogIsCentredOnItsOwnerAndHandsTheFocusBack) {
  gui::Form main(test::Placed(239, 158, 449, 375), nullptr);
  main.Show();
  gui::Form dialog(test::Placed(320, 172, 311, 168), &main);
  auto& warn = dialog.Add<TKSpeedButton>(nullptr, gui::Bounds{0, 0, 50, 20});
  RECT box{};
  bool dialogDisabled = false, mainDisabledAfter = false, dialogActiveAfter = false;
  warn.SetOnClick([&](gui::GraphicControl&) {
    Act look = [&](Box& b) {
      GetWindowRect(b.Handle(), &box);
      dialogDisabled = !IsWindowEnabled(dialog.Handle());
    };
    EXPECT_EQ(Answer(4, {look, Key(VK_RETURN)}, &main), 6);
    dialogActiveAfter = GetActiveWindow() == dialog.Handle();
    mainDisabledAfter = !IsWindowEnabled(main.Handle());
    PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
  });
  // Idle steps keep this timer from closing the box before the box's own step answers it.
  test::Steps open({[&] { test::ClickOn(dialog, warn); }, [] {}, [] {}, [] {}, [] {}, [] {}});
  EXPECT_EQ(dialog.ShowModal(), 2);
  EXPECT_EQ(std::tuple(box.left, box.top, box.right, box.bottom), std::tuple(308, 269, 308 + 310, 269 + 153));
  EXPECT_TRUE(dialogDisabled);
  EXPECT_TRUE(dialogActiveAfter);
  EXPECT_TRUE(mainDisabledAfter);
  EXPECT_TRUE(IsWindowEnabled(main.Handle()));
}

// The text is drawn literally: "&&" paints more white than the single "&" it would make as a prefix.
TEST(MessageForm, AmpersandsAreShownLiterally) {
  std::string text;
  int literal = 0, prefixed = 0;
  Act look = [&](Box& b) {
    text = b.lMessage->Text();
    gui::WindowDc screen(nullptr);
    gui::UniqueDc dc(CreateCompatibleDC(screen.Get()));
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.Get(), 302, 145));
    gui::SelectObjectGuard select(dc.Get(), bitmap.Get());
    for (int* white : {&literal, &prefixed}) {
      b.lMessage->Paint(dc.Get());
      for (int y = 0; y < 145; ++y)
        for (int x = 0; x < 302; ++x) *white += GetPixel(dc.Get(), x, y) == RGB(255, 255, 255);
      b.lMessage->SetShowAccelChar(true);  // for the second count, as if "&" were a prefix
    }
  };
  Answer(4, {look, Key(VK_ESCAPE)}, nullptr, "&&");
  EXPECT_EQ(text, "\n&&");
  EXPECT_GT(literal, 5);
  EXPECT_GT(literal, prefixed);
}

}  // namespace
}  // namespace kestrun
