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
enum MessageButtons : int { kButtonsOk = 0, kButtonsOkCancel = 1, kButtonsYesNoCancel = 3, kButtonsYesNo = 4 };
enum MessageAnswer : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

class TfmMessageBox : public gui::Form {
 public:
  explicit TfmMessageBox(gui::Form* owner);

  // Shows the box modally; returns a MessageAnswer (kAnswerCancel when closed otherwise).
  int Execute(const std::string& text, const std::string& caption, int buttonSet);

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
  void ShowTrio(const Trio& trio, int x);
  static void HideTrio(const Trio& trio);

  void FormActivate();
  void bbtYesClick() { SetModalResult(kAnswerYes); }
  void bbtNoClick() { SetModalResult(kAnswerNo); }
  void bbtOkClick() { SetModalResult(kAnswerOk); }
  void bbtCancelClick() { SetModalResult(kAnswerCancel); }
  void lMessageMouseDown();
};

// buttonSet: a MessageButtons value. owner may be null: the box is then centred on the screen.
int ShowMessageBox(gui::Form* owner, const std::string& text, const std::string& caption, int buttonSet);

}  // namespace kestrun
