#pragma once
// TfmAbout: the About box. One picture with four link strips; Enter or Escape closes it.
#include "controls/Kspeedbutton.h"
#include "gui/Form.h"
#include "gui/Image.h"
#include "gui/Panel.h"
#include "store/platform/Platform.h"

namespace kestrun {

class TfmAbout : public gui::Form {
 public:
  // Centred over main whenever it is shown; closing only hides it. Links open through platform.
  TfmAbout(gui::Form* main, IPlatform& platform);

  // Components, in creation order; owned by the form.
  gui::Panel* Panel1;
  TKSpeedButton* KSpeedButton1;
  gui::Image* Image1;
  gui::Image* Image2;
  gui::Image* Image3;
  gui::Image* Image4;
  gui::Image* Image5;

 protected:
  void DpiChanged() override;

 private:
  void LoadPicture();
  gui::Image* AddLink(gui::Bounds bounds, std::string file, std::string parameters);

  IPlatform& platform_;  // not owned
};

}  // namespace kestrun
