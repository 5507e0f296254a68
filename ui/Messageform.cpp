#include "ui/Messageform.h"

#include <algorithm>

#include "base/Texts.h"
#include "ui/TextIds.h"
#include "ui/Theme.h"

namespace kestrun {

using gui::GraphicControl;

namespace {

constexpr int kBoxHeight = 153;
constexpr int kButtonTop = 100;
constexpr int kPlateTop = 101;
constexpr int kCaptionTop = 113;
// The message's bold lines: those that fit above the buttons, and the height of one.
constexpr int kLinesAboveButtons = 6;
constexpr int kLineHeight = 16;  // with room for the font at larger scales
constexpr int kPlateWidth = 88;
constexpr int kPlateHeight = 38;
// Before the layout of a button set runs, all four trios lie on top of each other here.
constexpr int kDesignLeft = 108;
constexpr size_t kBoxLine = 36;  // characters of the bold text that fit one line

gui::FormLayout BoxLayout() {
  gui::FormLayout layout;
  layout.width = 310;
  layout.height = kBoxHeight;
  layout.placement = gui::Placement::OwnerCentre;
  return layout;
}

gui::LabelStyle MessageStyle() {
  gui::LabelStyle style;
  style.font = {"Arial", 13, true};  // untranslated: a font
  style.textColor = kCaptionWhite;
  style.color = kToolbarBlue;
  style.autoSize = false;
  // Texts are shown as given: a name such as "Tom & Jerry" must not lose its "&".
  style.showAccelChar = false;
  return style;
}

}  // namespace

TfmMessageBox::TfmMessageBox(gui::Form* owner) : Form(BoxLayout(), owner) {
  Panel1 = &Add<gui::Panel>(nullptr, gui::Bounds{0, 0, 310, 153}, FramePanel(2));
  lMessage = &Add<gui::Label>(Panel1, gui::Bounds{4, 4, 302, 145}, MessageStyle());
  labOk = AddPlate();
  labCancel = AddPlate();
  labYes = AddPlate();
  labNo = AddPlate();
  lOk = AddCaption(Text(IDS_OK));
  lCancel = AddCaption(Text(IDS_CANCEL));
  lNo = AddCaption(Text(IDS_NO));
  lYes = AddCaption(Text(IDS_YES));
  bbtYes = AddButton(0);
  bbtOk = AddButton(6);
  bbtNo = AddButton(3);
  bbtCancel = AddButton(9);
  bbtYes->SetDefault(true);
  bbtOk->SetDefault(true);
  bbtNo->SetCancel(true);
  bbtCancel->SetCancel(true);

  MakeBorderedButton(*bbtYes, [this] { bbtYesClick(); });
  MakeBorderedButton(*bbtNo, [this] { bbtNoClick(); });
  MakeBorderedButton(*bbtOk, [this] { bbtOkClick(); });
  MakeBorderedButton(*bbtCancel, [this] { bbtCancelClick(); });
  for (const Trio& trio : {Trio{bbtYes, labYes, lYes}, Trio{bbtNo, labNo, lNo}, Trio{bbtOk, labOk, lOk},
                           Trio{bbtCancel, labCancel, lCancel}})
    BindHoverCaption(*trio.button, *trio.plate, *trio.caption,
                     [](gui::Label& caption) { caption.SetWidth(kPlateWidth); });
  for (const Trio& trio : {Trio{bbtYes, labYes, lYes}, Trio{bbtNo, labNo, lNo}, Trio{bbtOk, labOk, lOk},
                           Trio{bbtCancel, labCancel, lCancel}}) {
    gui::Label* caption = trio.caption;
    Expose(*trio.button, gui::AccessibleRole::PushButton, [caption] { return caption->Text(); });
  }
  Expose(*lMessage, gui::AccessibleRole::StaticText, [this] { return lMessage->Text(); });
  lMessage->SetOnMouseDown([this](GraphicControl&, gui::MouseButton, gui::ShiftState, int, int) {
    lMessageMouseDown();
  });
  SetOnActivate([this](Form&) { FormActivate(); });
}

gui::Label* TfmMessageBox::AddPlate() {
  return &Add<gui::Label>(Panel1, gui::Bounds{kDesignLeft + 1, kPlateTop, kPlateWidth, kPlateHeight},
                          PlateStyle());
}

gui::Label* TfmMessageBox::AddCaption(const std::string& text) {
  return &Add<gui::Label>(Panel1, gui::Bounds{kDesignLeft + 1, kCaptionTop, kPlateWidth, 14},
                          CaptionStyle(text));
}

TKSpeedButton* TfmMessageBox::AddButton(int idle) {
  auto* button = &Add<TKSpeedButton>(Panel1, gui::Bounds{kDesignLeft, kButtonTop, 90, 40});
  button->SetImages(&ImageList1);
  button->SetImageIndexIDLE(idle);
  button->SetImageIndexUp(idle + 1);
  button->SetImageIndexDown(idle + 2);
  return button;
}

MessageAnswer TfmMessageBox::Execute(const std::string& text, const std::string& caption, MessageButtons buttons) {
  buttons_ = buttons;
  SetCaption(caption);
  lMessage->SetText("\n" + text);
  lMessage->SetTextAlignment(gui::Alignment::Center);
  FitLines(static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 2);
  return static_cast<MessageAnswer>(ShowModal());
}

// A long message (a reason the system gives, a long path) makes the box taller rather than run under
// the buttons.
void TfmMessageBox::FitLines(int lines) {
  const int extra = std::max(0, lines - kLinesAboveButtons) * kLineHeight;
  SetDesignHeight(kBoxHeight + extra);
  Panel1->SetHeight(kBoxHeight + extra);
  lMessage->SetHeight(kBoxHeight - 8 + extra);
  for (gui::GraphicControl* button : {bbtYes, bbtNo, bbtOk, bbtCancel}) button->SetTop(kButtonTop + extra);
  for (gui::Label* plate : {labYes, labNo, labOk, labCancel}) plate->SetTop(kPlateTop + extra);
  for (gui::Label* caption : {lYes, lNo, lOk, lCancel}) caption->SetTop(kCaptionTop + extra);
}

void TfmMessageBox::ShowTrio(const Trio& trio, int x) {
  for (GraphicControl* part : {static_cast<GraphicControl*>(trio.button), static_cast<GraphicControl*>(trio.plate),
                               static_cast<GraphicControl*>(trio.caption)})
    part->SetVisible(true);
  trio.plate->SetBounds({x + 1, trio.plate->Top(), kPlateWidth, kPlateHeight});
  trio.caption->SetWidth(kPlateWidth);
  trio.button->SetLeft(x);
  trio.caption->SetLeft(x + 1);
}

void TfmMessageBox::HideTrio(const Trio& trio) {
  trio.button->SetVisible(false);
  trio.plate->SetVisible(false);
  trio.caption->SetVisible(false);
}

void TfmMessageBox::FormActivate() {
  const Trio ok{bbtOk, labOk, lOk}, cancel{bbtCancel, labCancel, lCancel};
  const Trio yes{bbtYes, labYes, lYes}, no{bbtNo, labNo, lNo};
  switch (buttons_) {
    case MessageButtons::Ok:
      ShowTrio(ok, 108);
      for (const Trio& t : {cancel, yes, no}) HideTrio(t);
      break;
    case MessageButtons::OkCancel:
      ShowTrio(ok, 43);
      ShowTrio(cancel, 175);
      for (const Trio& t : {yes, no}) HideTrio(t);
      break;
    case MessageButtons::YesNoCancel:
      ShowTrio(yes, 9);
      ShowTrio(no, 106);
      ShowTrio(cancel, 203);
      HideTrio(ok);
      break;
    case MessageButtons::YesNo:
      ShowTrio(yes, 43);
      ShowTrio(no, 175);
      for (const Trio& t : {cancel, ok}) HideTrio(t);
      break;
    default:
      break;
  }
}

// Only the box being shown takes the mouse: any other is hidden or disabled under it.
void TfmMessageBox::lMessageMouseDown() { StartSystemMove(); }

MessageAnswer ShowMessageBox(gui::Form* owner, const std::string& text, const std::string& caption,
                             MessageButtons buttons) {
  // Only the four sets have a layout; any other is refused as if the box had been closed.
  if (buttons != MessageButtons::Ok && buttons != MessageButtons::OkCancel &&
      buttons != MessageButtons::YesNoCancel && buttons != MessageButtons::YesNo)
    return MessageAnswer::Cancel;
  TfmMessageBox box(owner);
  return box.Execute(text, caption, buttons);
}

std::string WrappedForMessageBox(const std::string& text) {
  std::string out, line;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > kBoxLine) {
      out += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  return out + line;
}

}  // namespace kestrun
