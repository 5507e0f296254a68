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
  TForm1 main(SystemPlatform());
  TfmMessageBox messageBox(&main);
  TfmStartupCreateDialog createDialog(&main, SystemPlatform());
  TfmAbout about(&main);
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
