#pragma once
// What the undos of one step leave behind, before any of them runs: each record of the step is checked
// against the places the newer records' undos fill or empty, so the whole step is judged first.
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "store/JournalRecord.h"

namespace kestrun {

class UndoOverlay {
 public:
  // What the undos so far leave at side's place under name: nullopt when they leave it as the machine
  // holds it now, nullptr when they empty it, else the side they put there.
  [[nodiscard]] std::optional<const JournalSide*> At(const JournalSide& side, const std::string& name) const;
  // change counted as undone: its old place filled again, its new place emptied or given back what it
  // replaced. The records must outlive the overlay.
  void Undo(const JournalRecord& change);

 private:
  struct PlaceBefore {  // places and names as Windows compares them
    bool operator()(const std::pair<std::string, std::string>& a, const std::pair<std::string, std::string>& b) const;
  };
  std::map<std::pair<std::string, std::string>, const JournalSide*, PlaceBefore> places_;
};

}  // namespace kestrun
