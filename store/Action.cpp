// The action's keys and failures.
#include "store/Action.h"

#include "store/StoreContext.h"

namespace kestrun {

Action::Action(StoreContext& store) : Action(store, store.report) {}

Action::Action(StoreContext& store, IErrorReport& report) : store_(store), report_(report) {}

IPlatform& Action::Platform() const { return store_.platform; }

void Action::Fail(Failure failure) {
  if (failure.kind != Failure::Kind::Unjournalled && failure.kind != Failure::Kind::Warning) ++failures_;
  report_.Report(failure);
}

void Action::FailCall(const std::string& subject, ErrorCode code) {
  Fail(MakeFailure(Failure::Kind::SystemError, subject, Platform().SystemErrorText(code), code));
}

void Action::Refuse(const std::string& what, const std::string& why) {
  Fail(MakeFailure(Failure::Kind::Refused, what, why));
}

RegistryAccess* Action::Key(HKEY hive, RegistryView view, const std::string& path, KeyAccess access, bool create) {
  if (create) access = KeyAccess::Write;
  // A key open for writing reads as well: one handle per key and action.
  if (access == KeyAccess::Read)
    if (const auto written = keys_.find({hive, view, path, KeyAccess::Write}); written != keys_.end())
      return written->second.get();
  const KeyId id{hive, view, path, access};
  if (const auto open = keys_.find(id); open != keys_.end()) return open->second.get();
  auto key = std::make_unique<RegistryAccess>(Platform());
  key->SetRoot(hive, view);
  if (!key->OpenKey(path, create, access)) {
    keyError_ = key->LastError();
    return nullptr;
  }
  keyError_ = ERROR_SUCCESS;
  return keys_.emplace(id, std::move(key)).first->second.get();
}

ErrorCode Action::DeleteKey(HKEY hive, RegistryView view, const std::string& path) {
  // A handle kept open would reach a deleted key, which no later read or write of the action can use.
  for (const KeyAccess access : {KeyAccess::Read, KeyAccess::Write}) keys_.erase({hive, view, path, access});
  const size_t start = path.find_first_not_of('\\');
  if (start == std::string::npos) return ERROR_INVALID_PARAMETER;  // never the hive itself
  return Platform().DeleteKey(hive, view, path.substr(start));
}

}  // namespace kestrun
