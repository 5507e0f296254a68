// What a script is told of an entry beyond its row: its place, its kind and what it runs.
#include "cli/EntryFacts.h"

namespace kestrun::cli {

EntryFacts FactsOf(TargetResolver& resolver, PublisherCache* publishers, const StartupRow& row) {
  EntryFacts facts;
  const LocationInfo* location = FindLocation(row.record.GetLocation());
  if (!location) return facts;
  facts.scope = location->hive == HKEY_LOCAL_MACHINE ? "machine" : "user";
  facts.command = row.path;
  const EntryKind& kind = KindOf(*location);
  const EntrySource source = kind.Source(*location, row);
  facts.kind = kind.Name();
  facts.source = source.place;
  facts.valueType = source.valueType;
  facts.target = resolver.Resolve(row);
  facts.warnings = TargetWarnings(facts.target);
  facts.verified = publishers != nullptr;
  if (publishers && facts.target.exists) facts.publisher = publishers->Check(facts.target.executable);
  return facts;
}

}  // namespace kestrun::cli
