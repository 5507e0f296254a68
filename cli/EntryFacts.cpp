#include "cli/EntryFacts.h"

namespace kestrun::cli {

EntryFacts FactsOf(TargetResolver& resolver, PublisherCache* publishers, const StartupRow& row) {
  EntryFacts facts;
  const LocationInfo* location = FindLocation(row.record.GetLocation());
  if (!location) return facts;
  facts.scope = location->hive == HKEY_LOCAL_MACHINE ? "machine" : "user";
  facts.command = row.path;
  if (location->isFolder) {
    const size_t slash = row.path.rfind('\\');
    facts.source = slash == std::string::npos ? std::string() : row.path.substr(0, slash);
    facts.valueType = "file";
  } else {
    facts.source =
        RegistryPlace(location->hive, row.record.GetEnabled() ? location->liveKey : location->disabledKey);
    // As scanned: a value that reads as a string is expandable or else plain.
    facts.valueType = RegistryTypeName(row.scanned.type == REG_EXPAND_SZ ? REG_EXPAND_SZ : REG_SZ);
  }
  facts.target = resolver.Resolve(row);
  facts.warnings = TargetWarnings(facts.target);
  facts.verified = publishers != nullptr;
  if (publishers && facts.target.exists) facts.publisher = publishers->Check(facts.target.executable);
  return facts;
}

}  // namespace kestrun::cli
