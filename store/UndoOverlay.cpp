// The places one undo step fills and empties, keyed as Windows compares keys, folders and names.
#include "store/UndoOverlay.h"

#include "base/Text.h"

namespace kestrun {

bool UndoOverlay::PlaceBefore::operator()(const std::pair<std::string, std::string>& a,
                                          const std::pair<std::string, std::string>& b) const {
  if (NameBefore(a.first, b.first)) return true;
  return !NameBefore(b.first, a.first) && NameBefore(a.second, b.second);
}

std::optional<const JournalSide*> UndoOverlay::At(const JournalSide& side, const std::string& name) const {
  const auto found = places_.find({side.place, name});
  return found == places_.end() ? std::nullopt : std::optional(found->second);
}

void UndoOverlay::Undo(const JournalRecord& change) {
  // In the order the undo acts: the old place first, then the new one, which may be the same.
  if (change.from) places_[{change.from->place, change.name}] = &*change.from;
  if (!change.to) return;
  // A file it replaced comes back only from its copy.
  const JournalSide* back = change.replaced ? &*change.replaced : nullptr;
  if (back && back->isFile && back->backup.empty()) back = nullptr;
  places_[{change.to->place, change.name}] = back;
}

}  // namespace kestrun
