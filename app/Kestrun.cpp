// Start-up: the application object, the four windows in their order, and the message loop.
#include <windows.h>

#include "base/Texts.h"
#include "base/ThreadScope.h"
#include "gui/Application.h"
#include "gui/SingleInstance.h"
#include "ui/Aboutform.h"
#include "ui/Createnewform.h"
#include "ui/Messageform.h"
#include "ui/Startupmain.h"
#include "ui/TextIds.h"

namespace {

constexpr char kTitle[] = "Tamsel Soft Kestrun";  // untranslated: the product's name

int RunKestrun() {
  using namespace kestrun;
  // A second start shows the running window: two copies would each show a list the other has changed.
  gui::SingleInstance instance("Local\\TamselSoft.Kestrun");
  if (!instance.First()) {
    gui::BringRunningWindowToFront(kTitle, 5000);
    return 0;
  }
  IPlatform& platform = SystemPlatform();
  // The four windows, in their order. Only the main window and this About box are ever shown: every
  // message box and create dialog is made afresh for its one use. The main window shows as soon as it
  // is made: the others are not seen before they are used, and no input is taken before the loop runs.
  TForm1 main(platform);
  main.Show();
  TfmMessageBox messageBox(&main);
  TfmStartupCreateDialog createDialog(&main, platform, main.Store());
  TfmAbout about(&main, platform);
  main.SetAboutBox(&about);
  return gui::Application::Instance().Run(main);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const kestrun::ThreadScope scope;  // what the window's thread keeps for the links it reads
  auto& app = kestrun::gui::Application::Instance();
  app.SetTitle(kTitle);
  using kestrun::Text;
  app.SetWords({Text(IDS_UNEXPECTED_ERROR), Text(IDS_ACTION_PRESS), Text(IDS_ACTION_JUMP)});
  int code = 0;
  app.Guard([&code] { code = RunKestrun(); });
  return code;
}
