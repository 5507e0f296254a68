#pragma once
// TfmStartupCreateDialog: asks for a program and a display name and writes the startup shortcut.
#include "controls/Kspeedbutton.h"
#include "gui/Form.h"
#include "gui/Label.h"
#include "gui/OpenDialog.h"
#include "gui/Panel.h"
#include "store/StartupStore.h"

namespace kestrun {

class TfmStartupCreateDialog : public gui::Form {
 public:
  // The store writes the shortcut; it lives as long as the dialog.
  TfmStartupCreateDialog(gui::Form* owner, IPlatform& platform, StartupStore& store);

  // Components, in creation order; owned by the form.
  gui::Panel* Panel1;
  gui::Label* Label1;
  gui::Label* Label2;
  gui::Label* Label4;
  gui::Label* Label5;
  gui::Label* Label3;
  gui::Label* Label6;
  gui::Label* Label7;
  gui::Label* lCreate;
  gui::Label* lCancel;
  gui::Label* lBrowse;
  TKSpeedButton* bbtBrowse;
  TKSpeedButton* bbtCancel;
  TKSpeedButton* bbtCreate;
  gui::Edit edFileName;
  gui::Edit edDisplayName;
  gui::OpenDialog odStartupCreateNew;

  void bbtCreateClick();
  void bbtCancelClick();
  void bbtBrowseClick();

 private:
  void CreateComponents();
  gui::Label* AddPlate(gui::Bounds bounds);
  gui::Label* AddText(gui::Bounds bounds, const std::string& text, int height, bool centred);
  TKSpeedButton* AddButton(gui::Bounds bounds, gui::Label* plate, gui::Label* caption,
                           void (TfmStartupCreateDialog::*click)());
  void Warn(const std::string& text, const gui::Edit& field);

  IPlatform& platform_;  // not owned
  StartupStore& store_;  // not owned
};

}  // namespace kestrun
