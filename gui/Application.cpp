#include "gui/Application.h"

#include "base/Text.h"

#include "gui/Form.h"

namespace kestrun::gui {

Application& Application::Instance() {
  static Application app;
  return app;
}

int Application::Run(Form& main) {
  main_ = &main;
  if (!main.Visible()) main.Show();
  MSG msg{};
  for (;;) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    Dispatch(msg);
  }
  return static_cast<int>(msg.wParam);
}

void Application::Dispatch(MSG& msg) {
  if (PreTranslate(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

// Keys typed into a native child (edit, list view) are offered to its form first: Tab moves between
// the edits, Enter and Escape go to the default and cancel buttons, Alt+letter to the accelerators.
bool Application::PreTranslate(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSCHAR) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (!root || root == msg.hwnd) return false;
  Form* form = Form::FromHandle(root);
  return form && form->ChildKey(msg);
}

void Application::FormDestroyed(const Form& form) {
  if (active_ == &form) active_ = nullptr;
  if (main_ == &form) main_ = nullptr;
}

std::string Application::ErrorDisplayText(const std::string& text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') return text + ".";
  return text;
}

void Application::ShowException(const std::exception& error) { ShowError(error.what()); }

void Application::ShowError(const std::string& text) {
  std::string shown = ErrorDisplayText(text);
  if (display_) {
    display_(shown);
    return;
  }
  MessageBoxW(GetActiveWindow(), ToWide(shown).c_str(), ToWide(title_).c_str(), MB_ICONSTOP | MB_OK);
}

void Application::Guard(const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& error) {
    ShowException(error);
  } catch (...) {
    ShowError(words_.unexpectedError);
  }
}

}  // namespace kestrun::gui
