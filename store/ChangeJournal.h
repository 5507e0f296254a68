#pragma once
// How the store's changes reach the journal: each is recorded before it is made, and a change that
// then fails gets a line that marks its record failed, so the journal holds only what was done.
#include "store/Action.h"
#include "store/JournalRecord.h"

namespace kestrun {

// Writes the record, with a copy of backup's file when given, in the action's group. Without
// mayGoWithout (a removal, a creation over a file) a failure is said as a refusal and false comes
// back; with it, true: the change goes ahead, and once it is made (ChangeOutcome::Done) one warning
// per action says it cannot be undone.
// A record that was not written is left with id 0.
bool JournalChange(Action& action, JournalRecord& record, bool mayGoWithout, JournalSide* backup = nullptr);

// Settles the journal's changes a stopped process left not done, judged by what lies where, before
// it is read: history and undo then see a change that was made, and never one that was not.
void SettleStopped(Action& action, Journal& journal);

// Marks a written record failed unless Done() is called first, also when the change throws.
class ChangeOutcome {
 public:
  ChangeOutcome(Action& action, const JournalRecord& record) : action_(action), record_(record) {}
  ChangeOutcome(const ChangeOutcome&) = delete;
  ChangeOutcome& operator=(const ChangeOutcome&) = delete;
  ~ChangeOutcome();
  void Done();

 private:
  Action& action_;
  const JournalRecord& record_;
  bool done_ = false;
};

}  // namespace kestrun
