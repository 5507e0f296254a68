// Shows one message box for screenshots and scripted clicks: messagebox-demo SET [CLOSE_AFTER_MS [TEXT
// [CAPTION]]], TEXT with \n for its line breaks.
// The exit code is the box's result, also printed; with CLOSE_AFTER_MS the box closes itself (result 2)
// and "timed out" is printed instead, so a script tells a lost click from a Cancel.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui/Application.h"
#include "gui/Form.h"
#include "ui/Messageform.h"

namespace {

struct Sample {
  const char* text;
  const char* caption;
};

Sample SampleFor(int set) {
  switch (set) {
    case 0:
      return {"\nThe system cannot find the file specified.", "Error"};
    case 1:
      return {"\nWrite the new entry into\nthe Startup folder?", "Create"};
    case 3:
      return {"\nThe check marks have changed.\nSave them before leaving?", "Save Settings"};
    default:
      return {"\nDo you really want to delete \nTom & Jerry from Startup?", "Confirm"};
  }
}

bool timedOut = false;

void CALLBACK CloseBox(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  timedOut = true;
  // Found by its class: a click that missed the box may have left it inactive.
  if (HWND box = FindWindowA(kestrun::gui::Form::ClassName(), nullptr)) PostMessageA(box, WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  int set = argc > 1 ? std::atoi(argv[1]) : 4;
  UINT closeAfter = argc > 2 ? static_cast<UINT>(std::atoi(argv[2])) : 0;
  kestrun::gui::Application::Instance().SetTitle("Tamsel Soft Kestrun");
  if (closeAfter > 0) SetTimer(nullptr, 0, closeAfter, CloseBox);
  Sample sample = SampleFor(set);
  std::string text;
  for (const char* c = argc > 3 ? argv[3] : sample.text; *c; ++c) {
    const bool escape = c[0] == '\\' && c[1] == 'n';
    text += escape ? '\n' : *c;
    if (escape) ++c;
  }
  if (argc > 3) sample.text = text.c_str();
  if (argc > 4) sample.caption = argv[4];
  const auto answer =
      kestrun::ShowMessageBox(nullptr, sample.text, sample.caption, static_cast<kestrun::MessageButtons>(set));
  const int result = static_cast<int>(answer);
  if (timedOut)
    std::printf("timed out\n");
  else
    std::printf("%d\n", result);
  return result;
}
