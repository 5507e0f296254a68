#pragma once
// The application object: title, main loop, keyboard pre-translation, the record of the focused form
// and the top-level error display for whatever escapes a handler.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <utility>

namespace kestrun::gui {

class Form;

// The few words gui itself shows, given by the program in the user's language.
struct Words {
  std::string unexpectedError;  // the error display's text for an exception of unknown kind
  std::string pressAction;      // a screen reader's default action of a button
  std::string jumpAction;       // ... and of a link
};

class Application {
 public:
  static Application& Instance();

  [[nodiscard]] const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }
  [[nodiscard]] const Words& GetWords() const { return words_; }
  void SetWords(Words words) { words_ = std::move(words); }

  // Shows main unless it already shows, then runs the message loop until the main form closes; returns
  // the quit code.
  int Run(Form& main);
  [[nodiscard]] Form* MainForm() const { return main_; }
  void SetMainForm(Form* form) { main_ = form; }
  // One message of any loop: key pre-translation for our forms, then the usual translate and dispatch.
  void Dispatch(MSG& msg);

  // The form that was last made the application's focused one: activation events compare against it.
  [[nodiscard]] Form* ActiveForm() const { return active_; }
  void SetActiveForm(Form* form) { active_ = form; }
  void FormDestroyed(const Form& form);

  // The platform's message box with the error text, the title as caption, a stop icon and OK.
  void ShowException(const std::exception& error);
  void ShowError(const std::string& text);
  // Runs work; an exception escaping it goes to the error display instead of further up.
  void Guard(const std::function<void()>& work);
  // Tests replace the modal display with a recorder.
  void SetErrorDisplay(std::function<void(const std::string& text)> display) { display_ = std::move(display); }

  // The text as displayed: a "." is appended unless it already ends in one or a lower character.
  [[nodiscard]] static std::string ErrorDisplayText(const std::string& text);

 private:
  Application() = default;
  bool PreTranslate(MSG& msg);

  std::string title_;
  Words words_;
  Form* main_ = nullptr;    // not owned
  Form* active_ = nullptr;  // not owned
  std::function<void(const std::string&)> display_;
};

}  // namespace kestrun::gui
