#pragma once
// How the store says what failed: one Failure at a time, to the window's message box, the console
// tool's standard error or a test's recorder. The store never knows which; each front end words it once.
#include <string>
#include <vector>

#include "store/platform/Platform.h"

namespace kestrun {

struct Failure {
  enum class Kind {
    SystemError,    // a call failed: what names the file or folder, why is the system's text for code
    Refused,        // a change refused or left half done: what names the entry and says what is true now
    Unjournalled,   // a warning: the change was made, but the journal in folder could not take it
    NotJournalled,  // the entry name was not removed: the journal in folder could not keep a copy
    Warning,        // something was not as it should be, but nothing failed
  };
  Kind kind = Kind::Refused;
  std::string what;
  std::string why;                 // the reason; "" when what says it all
  ErrorCode code = ERROR_SUCCESS;  // the system's code behind it, when there is one
  std::string name;                // the journal kinds: the entry
  std::string folder;              // the journal kinds: the journal's folder
};

// A failure of the kind, what and why given, with nothing else to say.
inline Failure MakeFailure(Failure::Kind kind, std::string what, std::string why, ErrorCode code = ERROR_SUCCESS) {
  Failure failure;
  failure.kind = kind;
  failure.what = std::move(what);
  failure.why = std::move(why);
  failure.code = code;
  return failure;
}

// "what: why", or what alone: a failure on one line.
std::string FailureLine(const Failure& failure);

class IErrorReport {
 public:
  virtual ~IErrorReport() = default;
  virtual void Report(const Failure& failure) = 0;
};

// Failures kept to be said later, in the order met: by a scan with no one yet to say them to, or one
// of several side by side that must be said one after the other.
class SaidLater : public IErrorReport {
 public:
  void Report(const Failure& failure) override { said_.push_back(failure); }
  void SayTo(IErrorReport& report) const {
    for (const Failure& failure : said_) report.Report(failure);
  }

 private:
  std::vector<Failure> said_;
};

}  // namespace kestrun
