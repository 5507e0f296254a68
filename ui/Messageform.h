#pragma once
// TfmMessageBox: the program's own borderless message box, and ShowMessageBox, the one way to show it.
#include <string>

#include "controls/Kspeedbutton.h"
#include "gui/Form.h"
#include "gui/ImageList.h"
#include "gui/Label.h"
#include "gui/Panel.h"

namespace kestrun {

// The button sets a box can show and the answers it gives: the numbers of the platform's own box.
enum class MessageButtons { Ok = 0, OkCancel = 1, YesNoCancel = 3, YesNo = 4 };
enum class MessageAnswer { Ok = 1, Cancel = gui::kModalCancel, Yes = 6, No = 7 };

class TfmMessageBox : public gui::Form {
 public:
  explicit TfmMessageBox(gui::Form* owner);

  // Shows the box modally; Cancel when it is closed without a button.
  MessageAnswer Execute(const std::string& text, const std::string& caption, MessageButtons buttons);

  // Components, in creation order; owned by the form.
  gui::Panel* Panel1;
  gui::Label* lMessage;
  gui::Label* labOk;
  gui::Label* labCancel;
  gui::Label* labYes;
  gui::Label* labNo;
  gui::Label* lOk;
  gui::Label* lCancel;
  gui::Label* lNo;
  gui::Label* lYes;
  TKSpeedButton* bbtYes;
  TKSpeedButton* bbtOk;
  TKSpeedButton* bbtNo;
  TKSpeedButton* bbtCancel;
  gui::ImageList ImageList1{93, 19};

 private:
  struct Trio {
    TKSpeedButton* button;
    gui::Label* plate;
    gui::Label* caption;
  };
  gui::Label* AddPlate();
  gui::Label* AddCaption(const std::string& text);
  TKSpeedButton* AddButton(int idle);
  void FitLines(int lines);
  void ShowTrio(const Trio& trio, int x);
  static void HideTrio(const Trio& trio);

  void FormActivate();
  void Answer(MessageAnswer answer) { SetModalResult(static_cast<int>(answer)); }
  void bbtYesClick() { Answer(MessageAnswer::Yes); }
  void bbtNoClick() { Answer(MessageAnswer::No); }
  void bbtOkClick() { Answer(MessageAnswer::Ok); }
  void bbtCancelClick() { Answer(MessageAnswer::Cancel); }
  void lMessageMouseDown();

  MessageButtons buttons_ = MessageButtons::Ok;  // the set Execute was asked for, laid out at activation
};

// owner may be null: the box is then centred on the screen.
MessageAnswer ShowMessageBox(gui::Form* owner, const std::string& text, const std::string& caption,
                             MessageButtons buttons);

}  // namespace kestrun
