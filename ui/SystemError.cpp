#include "ui/SystemError.h"

#include "ui/Messageform.h"

namespace kestrun {

void ShowSystemError(gui::Form* owner, ErrorCode code, IPlatform& platform) {
  ShowMessageBox(owner, platform.SystemErrorText(code), "Error", MessageButtons::Ok);
}

// Started from an elevated Kestrun, a browser or help viewer would run as administrator too: the
// desktop's shell starts it with the user's own rights, and where it cannot, the user is told where to go.
bool ShellOpenOrReport(gui::Form* owner, const std::string& file, const std::string& parameters, int show,
                       IPlatform& platform, const std::string& place) {
  if (platform.IsElevated()) {
    if (platform.ShellOpenAsUser(file, parameters, show) == ERROR_SUCCESS) return true;
    ShowMessageBox(owner, "\nRunning as administrator, Kestrun\ndoes not open this itself.\nOpen it yourself:\n" + place,
                   "Information", MessageButtons::Ok);
    return false;
  }
  const ErrorCode rc = platform.ShellOpen(owner ? owner->Handle() : nullptr, file, parameters, show);
  if (rc != ERROR_SUCCESS) ShowSystemError(owner, rc, platform);
  return rc == ERROR_SUCCESS;
}

namespace {

constexpr size_t kBoxLine = 36;  // characters of the box's bold text that fit one line

}  // namespace

std::string WrappedForMessageBox(const std::string& text) {
  std::string out, line;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > kBoxLine) {
      out += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  return out + line;
}

namespace {

// The store's sentences start in lower case, as the console tool's lines go on after its name.
std::string Sentence(const Failure& failure) {
  std::string text = FailureLine(failure);
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return WrappedForMessageBox(text);
}

}  // namespace

// Each failure names what failed, so one Save refused for several rows says which is which. The box
// draws each line as it is given: the journal's texts carry their own short lines.
void MessageBoxReport::Report(const Failure& failure) {
  switch (failure.kind) {
    case Failure::Kind::Unjournalled:
      ShowMessageBox(owner_, JournalWarningText(failure.folder, WrappedForMessageBox(failure.why)), "Warning",
                     MessageButtons::Ok);
      return;
    case Failure::Kind::NotJournalled:
      ShowMessageBox(owner_,
                     "\n" + failure.name + " was not removed:\nno copy for undoing it could be\nkept in the journal.\n" +
                         WrappedForMessageBox(failure.why),
                     "Error", MessageButtons::Ok);
      return;
    case Failure::Kind::Warning:
      ShowMessageBox(owner_, Sentence(failure), "Warning", MessageButtons::Ok);
      return;
    case Failure::Kind::SystemError:
    case Failure::Kind::Refused:
      ShowMessageBox(owner_, Sentence(failure), "Error", MessageButtons::Ok);
      return;
  }
}

std::string JournalWarningText(const std::string& folder, const std::string& reason) {
  return "\nThe change was made, but it cannot\nbe undone: the journal in\n" + folder + "\ncould not be written.\n" +
         reason;
}

}  // namespace kestrun
