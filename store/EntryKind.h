#pragma once
// One kind of startup entry (a registry value, a file in a Startup folder, a scheduled task): how its entries are read,
// switched, removed, undone and described. The store, its undo and the window ask the location's kind
// and never branch on it; a new kind is one more unit behind this interface.
#include <cstdint>
#include <string>

#include "store/StartupRow.h"

namespace kestrun {

class Action;
struct JournalRecord;
struct JournalSide;
struct LocationInfo;
class UndoOverlay;

// What an entry runs, before it is resolved: a command line, or a file that runs itself (a
// shortcut: its target).
struct EntryCommand {
  enum class Form { CommandLine, File };
  Form form = Form::CommandLine;
  std::string text;
};

// Where an entry lives, as a script is told: the key path with its hive, or the folder; and what
// it is stored as ("REG_SZ", "REG_EXPAND_SZ", "file").
struct EntrySource {
  std::string place;
  std::string valueType;
};

class EntryKind {
 public:
  virtual ~EntryKind() = default;

  // What a script is told the entry is: "registry", "file", ...
  [[nodiscard]] virtual const char* Name() const = 0;
  // A switched-off entry lies in a parking place of its location; else it is switched where it lies.
  [[nodiscard]] virtual bool Parks() const { return true; }

  // Appends the entries of the location's live place, or of its parking place.
  virtual void Scan(Action& action, const LocationInfo& location, bool live, StartupRows& rows) const = 0;
  // Moves the row's entry to its other place, journalled; true when it left the place it was
  // scanned in. Refusals and failures are said through the action.
  virtual bool Move(Action& action, const LocationInfo& location, const StartupRow& row, bool enable) const = 0;
  // Deletes the row's own entry, journalled; true when this removal deleted it (an entry gone already
  // is no failure, but nothing was removed).
  virtual bool Remove(Action& action, const LocationInfo& location, const StartupRow& row) const = 0;
  // "" when Remove may delete the row's entry; else why this kind's entries are never deleted here.
  [[nodiscard]] virtual std::string RemoveRefusal(const StartupRow& row) const = 0;
  // An entry of the row's name lies in the location's other place (live for a parked row, and so on).
  virtual bool InOtherPlace(Action& action, const LocationInfo& location, const StartupRow& row) const = 0;
  // now, of a later scan, is the entry was showed: in the same place (stayed), or where a move took it.
  virtual bool SameEntry(const StartupRow& was, const StartupRow& now, bool stayed) const = 0;
  // a and b, of one name in the location's two places, hold the same bytes: a move stopped half way,
  // which moving either way finishes. A kind that cannot tell says no.
  virtual bool SameBytes(Action&, const LocationInfo&, const StartupRow&, const StartupRow&) const { return false; }

  virtual EntryCommand Command(const LocationInfo& location, const StartupRow& row) const = 0;
  virtual EntrySource Source(const LocationInfo& location, const StartupRow& row) const = 0;
  // Where the entry lies and, when Windows does not start it, why, as one line for a person:
  // "HKCU Run, disabled (parked by Kestrun)".
  [[nodiscard]] virtual std::string PlaceText(const StartupRow& row) const = 0;

  // Undo. Another program of the user may have written the journal: "" when side names a place of
  // this kind's own for the record, else why not.
  virtual std::string WhyNotOwnSide(Action& action, const LocationInfo& location, const JournalRecord& record,
                                    const JournalSide& side) const = 0;
  // "" when the entry is still as change left it and nothing lies where it would go back to, once the
  // undos overlay stands for have run.
  virtual std::string CheckUndo(Action& action, const JournalRecord& change, const UndoOverlay& overlay) const = 0;
  // Journals undo, then reverses change; "" when done, else what went wrong.
  virtual std::string Undo(Action& action, const JournalRecord& change, JournalRecord& undo) const = 0;
};

// PlaceText of the kinds whose disabled entries lie in a parking place of Kestrun's.
std::string ParkedPlaceText(const StartupRow& row);

// The unit of the location's kind; nullptr for a code that names no location.
const EntryKind& KindOf(const LocationInfo& location);
const EntryKind* KindOf(std::int32_t location);

// The row lies in its location's parking place.
bool IsParked(const StartupRow& row);

}  // namespace kestrun
