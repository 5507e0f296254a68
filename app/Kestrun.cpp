// Start-up: the application object, the four windows in their order, and the message loop.
#include <windows.h>

#include "gui/Application.h"
#include "ui/Aboutform.h"
#include "ui/Createnewform.h"
#include "ui/Messageform.h"
#include "ui/Startupmain.h"

namespace {

int RunKestrun() {
  using namespace kestrun;
  IPlatform& platform = SystemPlatform();
  TForm1 main(platform);
  TfmMessageBox messageBox(&main);
  TfmStartupCreateDialog createDialog(&main, platform);
  TfmAbout about(&main, platform);
  main.SetAboutBox(&about);
  return gui::Application::Instance().Run(main);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  auto& app = kestrun::gui::Application::Instance();
  app.SetTitle("Tamsel Soft Kestrun");
  int code = 0;
  app.Guard([&code] { code = RunKestrun(); });
  return code;
}
