#pragma once
// How the store reports a failed platform call: the window shows the system's text in a message box,
// the console tool prints it, tests record it. The store never knows which.
#include <string>

#include "store/platform/Platform.h"

namespace kestrun {

// The two journal reports' sentences, each without its reason.
inline std::string JournalWarningSentence(const std::string& folder) {
  return "the journal in " + folder + " could not be written: the change was made, but cannot be undone";
}
inline std::string RemoveRefusedSentence(const std::string& name, const std::string& folder) {
  return "'" + name + "' was not removed: the journal in " + folder + " could not keep what undoing the removal needs";
}

class IErrorReport {
 public:
  virtual ~IErrorReport() = default;
  // code: the call's last-error value; subject: the file or folder it was about.
  virtual void ShowSystemError(ErrorCode code, const std::string& subject) = 0;
  // A change refused or left half done, in a whole sentence that names the entry and says what is
  // true now.
  virtual void ShowFailure(const std::string& text) = 0;
  // The journal in folder could not be written (why: the system's text for code, or why the folder
  // was refused); the change (a park, a bring-back, a new shortcut) went ahead and cannot be undone.
  virtual void ShowJournalWarning(ErrorCode code, const std::string& folder, const std::string& why) {
    ShowSystemError(code, JournalWarningSentence(folder) + " (" + why + ")");
  }
  // The entry name was not removed: the journal in folder could not keep what undoing it needs.
  virtual void ShowRemoveRefused(ErrorCode code, const std::string& name, const std::string& folder,
                                 const std::string& why) {
    ShowSystemError(code, RemoveRefusedSentence(name, folder) + " (" + why + ")");
  }
};

}  // namespace kestrun
