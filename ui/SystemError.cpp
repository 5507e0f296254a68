// The window's error box, and each of the store's failures worded once for the window.
#include "ui/SystemError.h"

#include "base/Texts.h"
#include "ui/Messageform.h"
#include "ui/TextIds.h"

namespace kestrun {

void ShowSystemError(gui::Form* owner, ErrorCode code, IPlatform& platform) {
  ShowMessageBox(owner, platform.SystemErrorText(code), Text(IDS_ERROR), MessageButtons::Ok);
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
      ShowMessageBox(owner_, JournalWarningText(failure.folder, WrappedForMessageBox(failure.why)), Text(IDS_WARNING),
                     MessageButtons::Ok);
      return;
    case Failure::Kind::NotJournalled:
      ShowMessageBox(owner_, Text(IDS_NOT_JOURNALLED, {failure.name, WrappedForMessageBox(failure.why)}),
                     Text(IDS_ERROR), MessageButtons::Ok);
      return;
    case Failure::Kind::Warning:
      ShowMessageBox(owner_, Sentence(failure), Text(IDS_WARNING), MessageButtons::Ok);
      return;
    case Failure::Kind::SystemError:
    case Failure::Kind::Refused:
      ShowMessageBox(owner_, Sentence(failure), Text(IDS_ERROR), MessageButtons::Ok);
      return;
  }
}

std::string JournalWarningText(const std::string& folder, const std::string& reason) {
  return Text(IDS_JOURNAL_WARNING, {folder, reason});
}

}  // namespace kestrun
