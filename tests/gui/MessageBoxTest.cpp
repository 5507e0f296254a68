// The message box shown for real under Wine, driven by posted input from a thread timer.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/Gdi.h"
#include "tests/gui/Pump.h"
#include "ui/Messageform.h"

namespace kestrun {
namespace {

struct Seen {
  std::vector<std::string> shown;  // captions of the visible trios, left to right by button x
  std::vector<int> lefts;
  RECT window{};
};

TfmMessageBox* FindBox(const std::string& caption) {
  return dynamic_cast<TfmMessageBox*>(gui::Form::FromHandle(FindWindowA("KestrunForm", caption.c_str())));
}

std::vector<std::pair<TKSpeedButton*, std::string>> Trios(TfmMessageBox& box) {
  return {{box.bbtYes, "Yes"}, {box.bbtOk, "OK"}, {box.bbtNo, "No"}, {box.bbtCancel, "Cancel"}};
}

Seen Look(TfmMessageBox& box) {
  Seen seen;
  std::vector<std::pair<int, std::string>> visible;
  for (auto& [button, name] : Trios(box)) {
    if (button->Visible()) visible.emplace_back(button->Left(), name);
  }
  std::sort(visible.begin(), visible.end());
  for (auto& [left, name] : visible) {
    seen.shown.push_back(name);
    seen.lefts.push_back(left);
  }
  GetWindowRect(box.Handle(), &seen.window);
  return seen;
}

void ClickOn(TfmMessageBox& box, gui::GraphicControl& control) {
  RECT r = box.Host().ClientRectOf(control);
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(box.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(box.Handle(), WM_LBUTTONUP, 0, at);
}

void Key(TfmMessageBox& box, WPARAM key) { PostMessageA(box.Handle(), WM_KEYDOWN, key, 1); }

// Shows a box and runs act on it (in the box's own loop) once it is up; returns the box's result.
int Answer(int set, const std::function<void(TfmMessageBox&)>& act, Seen* seen = nullptr,
        gui::Form* owner = nullptr) {
  static int serial = 0;
  std::string caption = "Box " + std::to_string(++serial);
  test::Steps steps({[&] {
    TfmMessageBox* box = FindBox(caption);
    if (!box) return;
    if (seen) *seen = Look(*box);
    act(*box);
  }});
  int result = ShowMessageBox(owner, "Question", caption, set);
  EXPECT_FALSE(steps.Forced()) << "the box had to be closed by force";
  return result;
}

TEST(MessageForm, EachButtonSetShowsItsTriosAtTheirPlaces) {
  struct Case {
    int set;
    std::vector<std::string> shown;
    std::vector<int> lefts;
  };
  for (const Case& c : {Case{0, {"OK"}, {108}}, Case{1, {"OK", "Cancel"}, {43, 175}},
                        Case{3, {"Yes", "No", "Cancel"}, {9, 106, 203}}, Case{4, {"Yes", "No"}, {43, 175}}}) {
    Seen seen;
    bool platesMatch = true;
    Answer(
        c.set,
        [&](TfmMessageBox& box) {
          std::vector<std::pair<gui::Label*, gui::Label*>> parts{
              {box.labYes, box.lYes}, {box.labOk, box.lOk}, {box.labNo, box.lNo}, {box.labCancel, box.lCancel}};
          auto trios = Trios(box);
          for (size_t i = 0; i < trios.size(); ++i) {
            auto [plate, caption] = parts[i];
            TKSpeedButton* button = trios[i].first;
            platesMatch = platesMatch && plate->Visible() == button->Visible() &&
                          caption->Visible() == button->Visible();
            if (button->Visible())
              platesMatch = platesMatch && plate->Left() == button->Left() + 1 && plate->Width() == 88 &&
                            plate->Height() == 38 && caption->Left() == button->Left() + 1 &&
                            caption->Width() == 88;
          }
          PostMessageA(box.Handle(), WM_CLOSE, 0, 0);
        },
        &seen);
    EXPECT_EQ(seen.shown, c.shown) << "set " << c.set;
    EXPECT_EQ(seen.lefts, c.lefts) << "set " << c.set;
    EXPECT_TRUE(platesMatch) << "set " << c.set;
  }
}

TEST(MessageForm, ClickingEachButtonReturnsItsCode) {
  EXPECT_EQ(Answer(0, [](TfmMessageBox& b) { ClickOn(b, *b.bbtOk); }), 1);
  EXPECT_EQ(Answer(1, [](TfmMessageBox& b) { ClickOn(b, *b.bbtOk); }), 1);
  EXPECT_EQ(Answer(1, [](TfmMessageBox& b) { ClickOn(b, *b.bbtCancel); }), 2);
  EXPECT_EQ(Answer(3, [](TfmMessageBox& b) { ClickOn(b, *b.bbtYes); }), 6);
  EXPECT_EQ(Answer(3, [](TfmMessageBox& b) { ClickOn(b, *b.bbtNo); }), 7);
  EXPECT_EQ(Answer(3, [](TfmMessageBox& b) { ClickOn(b, *b.bbtCancel); }), 2);
  EXPECT_EQ(Answer(4, [](TfmMessageBox& b) { ClickOn(b, *b.bbtYes); }), 6);
  EXPECT_EQ(Answer(4, [](TfmMessageBox& b) { ClickOn(b, *b.bbtNo); }), 7);
}

// A click on the plate or caption lands on the button above them; one on the text does nothing.
TEST(MessageForm, ClicksOnTheTextDoNotAnswer) {
  int result = Answer(4, [](TfmMessageBox& b) {
    ClickOn(b, *b.lMessage);
    PostMessageA(b.Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  });
  EXPECT_EQ(result, 7);
}

TEST(MessageForm, EnterAndEscapeGoToTheDefaultAndCancelButtons) {
  EXPECT_EQ(Answer(0, [](TfmMessageBox& b) { Key(b, VK_RETURN); }), 1);
  EXPECT_EQ(Answer(1, [](TfmMessageBox& b) { Key(b, VK_RETURN); }), 1);
  EXPECT_EQ(Answer(1, [](TfmMessageBox& b) { Key(b, VK_ESCAPE); }), 2);
  EXPECT_EQ(Answer(3, [](TfmMessageBox& b) { Key(b, VK_RETURN); }), 6);
  EXPECT_EQ(Answer(3, [](TfmMessageBox& b) { Key(b, VK_ESCAPE); }), 7);
  EXPECT_EQ(Answer(4, [](TfmMessageBox& b) { Key(b, VK_RETURN); }), 6);
  EXPECT_EQ(Answer(4, [](TfmMessageBox& b) { Key(b, VK_ESCAPE); }), 7);
  // Set 0 has no cancel button: Escape is ignored, and Enter still answers afterwards.
  EXPECT_EQ(Answer(0,
                [](TfmMessageBox& b) {
                  SendMessageA(b.Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
                  EXPECT_EQ(b.ModalResult(), 0);
                  Key(b, VK_RETURN);
                }),
            1);
}

TEST(MessageForm, SystemCloseAndCloseReturnTwo) {
  EXPECT_EQ(Answer(4, [](TfmMessageBox& b) { PostMessageA(b.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }), 2);
  EXPECT_EQ(Answer(0, [](TfmMessageBox& b) { PostMessageA(b.Handle(), WM_CLOSE, 0, 0); }), 2);
}

TEST(MessageForm, UnknownButtonSetIsRefusedWithoutShowing) {
  EXPECT_EQ(ShowMessageBox(nullptr, "x", "y", 2), 2);
  EXPECT_EQ(ShowMessageBox(nullptr, "x", "y", 5), 2);
}

TEST(MessageForm, CentredOverItsOwnerAndTheOwnerTakesInputAgainAfterwards) {
  gui::FormLayout layout;
  layout.width = 449;
  layout.height = 375;
  layout.position = {239, 158};
  gui::Form owner(layout, nullptr);
  owner.Show();
  test::Pump(50);
  Seen seen;
  bool ownerDisabled = false;
  Answer(
      4,
      [&](TfmMessageBox& b) {
        ownerDisabled = !IsWindowEnabled(owner.Handle());
        Key(b, VK_RETURN);
      },
      &seen, &owner);
  EXPECT_EQ(seen.window.left, 239 + (449 - 310) / 2);
  EXPECT_EQ(seen.window.top, 158 + (375 - 153) / 2);
  EXPECT_EQ(seen.window.right - seen.window.left, 310);
  EXPECT_EQ(seen.window.bottom - seen.window.top, 153);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

// A warning from a modal dialog: the box is owned by the main window, the dialog is disabled under
// it and active again afterwards, while the main window stays disabled until the dialog closes.
TEST(MessageForm, BoxOverAModalDialogHandsTheFocusBackToTheDialog) {
  gui::FormLayout mainLayout;
  mainLayout.width = 449;
  mainLayout.height = 375;
  mainLayout.position = {239, 158};
  gui::Form main(mainLayout, nullptr);
  main.Show();
  gui::FormLayout dialogLayout;
  dialogLayout.width = 311;
  dialogLayout.height = 168;
  dialogLayout.position = {320, 172};
  gui::Form dialog(dialogLayout, &main);
  auto& warn = dialog.Add<TKSpeedButton>(nullptr, gui::Bounds{0, 0, 50, 20});
  int answer = 0;
  bool dialogDisabled = false, mainDisabledAfter = false, dialogActiveAfter = false;
  warn.OnClick = [&](gui::GraphicControl&) {
    answer = Answer(0, [&](TfmMessageBox& b) {
      dialogDisabled = !IsWindowEnabled(dialog.Handle());
      Key(b, VK_RETURN);
    }, nullptr, &main);
    dialogActiveAfter = GetActiveWindow() == dialog.Handle();
    mainDisabledAfter = !IsWindowEnabled(main.Handle());
    PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
  };
  // Idle steps keep this timer from closing the box before the box's own step answers it.
  test::Steps open({[&] {
                      PostMessageA(dialog.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
                      PostMessageA(dialog.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
                    },
                    [] {}, [] {}, [] {}, [] {}, [] {}});
  EXPECT_EQ(dialog.ShowModal(), 2);
  EXPECT_EQ(answer, 1);
  EXPECT_TRUE(dialogDisabled);
  EXPECT_TRUE(dialogActiveAfter);
  EXPECT_TRUE(mainDisabledAfter);
  EXPECT_TRUE(IsWindowEnabled(main.Handle()));
}

TEST(MessageForm, HoverTurnsTheCaptionRedAndLeavingWhite) {
  COLORREF over = 0, after = 0;
  int widthOver = 0;
  Answer(4, [&](TfmMessageBox& b) {
    RECT r = b.Host().ClientRectOf(*b.bbtNo);
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    POINT screen = centre;
    ClientToScreen(b.Handle(), &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageA(b.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
    over = b.lNo->TextColor();
    widthOver = b.lNo->Width();
    SetCursorPos(screen.x, screen.y - 60);
    SendMessageA(b.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y - 60));
    after = b.lNo->TextColor();
    Key(b, VK_ESCAPE);
  });
  EXPECT_EQ(over, RGB(255, 0, 0));
  EXPECT_EQ(widthOver, 88);
  EXPECT_EQ(after, RGB(255, 255, 255));
}

// Counts the white pixels the message label draws for text; the label's own colour is blue.
int WhitePixels(TfmMessageBox& box) {
  gui::WindowDc screen(nullptr);
  gui::UniqueDc dc(CreateCompatibleDC(screen.Get()));
  UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.Get(), 302, 145));
  gui::SelectObjectGuard select(dc.Get(), bitmap.Get());
  box.lMessage->Paint(dc.Get());
  int white = 0;
  for (int y = 0; y < 145; ++y)
    for (int x = 0; x < 302; ++x) white += GetPixel(dc.Get(), x, y) == RGB(255, 255, 255);
  return white;
}

TEST(MessageForm, AmpersandsAreShownLiterally) {
  int ampersandOnly = -1;
  std::string text;
  test::Steps steps({[&] {
    TfmMessageBox* box = FindBox("Amp");
    if (!box) return;
    text = box->lMessage->Text();
    ampersandOnly = WhitePixels(*box);
    Key(*box, VK_ESCAPE);
  }});
  ShowMessageBox(nullptr, "&", "Amp", 4);
  EXPECT_EQ(text, "\n&");
  EXPECT_GT(ampersandOnly, 5);
}

}  // namespace
}  // namespace kestrun
