#include "ui/Aboutform.h"

#include "base/Texts.h"
#include "ui/Bitmaps.h"
#include "ui/MakerAddresses.h"
#include "ui/PictureTexts.h"
#include "ui/Resources.h"
#include "ui/ShellLaunch.h"
#include "ui/TextIds.h"
#include "ui/Theme.h"

namespace kestrun {
namespace {

gui::FormLayout AboutLayout() {
  // The caption is never drawn (no title bar): it names the window to the system.
  return {.caption = Text(IDS_ABOUT_CAPTION),
          .width = 384,
          .height = 200,
          .placement = gui::Placement::OwnerCentre,
          .color = kToolbarBlue};
}

}  // namespace

TfmAbout::TfmAbout(gui::Form* main, IPlatform& platform)
    : gui::Form(AboutLayout(), main), platform_(platform) {
  Panel1 = &Add<gui::Panel>(nullptr, gui::Bounds{0, 0, 384, 200}, FramePanel(1));
  KSpeedButton1 = &Add<TKSpeedButton>(Panel1, gui::Bounds{0, 0, 1, 1});
  KSpeedButton1->SetFlat(true);
  KSpeedButton1->SetDefault(true);
  KSpeedButton1->SetCancel(true);
  KSpeedButton1->SetOnClick([this](gui::GraphicControl&) { Close(); });
  Image1 = &Add<gui::Image>(Panel1, gui::Bounds{2, 2, 380, 196});
  Image1->SetTexts(AboutTexts());
  LoadPicture();
  Image1->SetOnMouseDown([this](gui::GraphicControl&, gui::MouseButton, gui::ShiftState, int, int) {
    StartSystemMove();
  });
  Image2 = AddLink({91, 104, 201, 14}, "iexplore", kWebSite);
  Image3 = AddLink({91, 121, 201, 13}, std::string("mailto:") + kSupportMail, "");
  Image4 = AddLink({47, 160, 290, 14}, "iexplore", kOrderPage1);
  Image5 = AddLink({47, 177, 290, 14}, "iexplore", kOrderPage2);
  // Named by the text the picture shows under each strip.
  Expose(*Image2, gui::AccessibleRole::Link, [] { return std::string("www.tamselsoft.example"); });
  Expose(*Image3, gui::AccessibleRole::Link, [] { return std::string(kSupportMail); });
  Expose(*Image4, gui::AccessibleRole::Link, [] { return std::string("Tamsel DiskTally"); });  // untranslated: name
  Expose(*Image5, gui::AccessibleRole::Link, [] { return std::string("Tamsel ClipKeeper"); });  // untranslated: name
  constexpr char kEscape[] = "Esc";  // untranslated: a key's name
  Expose(*KSpeedButton1, gui::AccessibleRole::PushButton, [] { return Text(IDS_NAME_CLOSE); }, kEscape);
}

void TfmAbout::LoadPicture() {
  DpiBitmap picture = LoadBitmapForDpi(IDB_ABOUT, Dpi());
  Image1->SetBitmap(std::move(picture.bitmap), picture.dpi);
}

void TfmAbout::DpiChanged() { LoadPicture(); }

gui::Image* TfmAbout::AddLink(gui::Bounds bounds, std::string file, std::string parameters) {
  gui::Image* area = &Add<gui::Image>(Panel1, bounds);
  area->SetCursor(LoadCursor(nullptr, IDC_HAND));
  area->SetOnClick([this, file = std::move(file), parameters = std::move(parameters)](gui::GraphicControl&) {
    ShellOpenOrReport(Owner(), AddressLaunch(file, parameters), platform_);
  });
  return area;
}

}  // namespace kestrun
