#pragma once
// One user action: one Save, one Remove, one console command, one undo. The store makes it for the
// action and every unit works through it; what the action's changes share (the registry keys they
// open, their undo group, the one journal warning, the failures) lives in it and ends with it.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "store/ErrorReport.h"
#include "store/platform/Registry.h"

namespace kestrun {

class Journal;
struct StoreContext;

// What the journal keeps for one action: the id of its first record in each journal (one undo step
// reverses them all), and why the running change could not be journalled, warned of once.
struct ActionJournal {
  std::map<const Journal*, std::int64_t> groups;
  std::optional<Failure> unjournalled;
  bool warned = false;
};

class Action {
 public:
  explicit Action(StoreContext& store);
  // An action that says its failures to report rather than where the store says them.
  Action(StoreContext& store, IErrorReport& report);
  Action(const Action&) = delete;
  Action& operator=(const Action&) = delete;

  [[nodiscard]] StoreContext& Store() const { return store_; }
  [[nodiscard]] IPlatform& Platform() const;

  // Said at once (the action goes on) and counted.
  void Fail(Failure failure);
  // A call on subject failed with code: the system's text says why.
  void FailCall(const std::string& subject, ErrorCode code);
  void Refuse(const std::string& what, const std::string& why = {});
  [[nodiscard]] int Failures() const { return failures_; }

  // The key, opened once for the action and closed when it ends; nullptr when it cannot be opened
  // (KeyError() says why). A key opened for writing serves reading too; creating opens it for writing.
  RegistryAccess* Key(HKEY hive, RegistryView view, const std::string& path, KeyAccess access, bool create = false);
  RegistryAccess* Key(HKEY hive, const std::string& path, KeyAccess access = KeyAccess::Read) {
    return Key(hive, RegistryView::Native, path, access);
  }
  [[nodiscard]] ErrorCode KeyError() const { return keyError_; }
  // Deletes a key that has no subkeys, closing the action's handles to it first.
  ErrorCode DeleteKey(HKEY hive, RegistryView view, const std::string& path);

  ActionJournal& Journalling() { return journal_; }

 private:
  using KeyId = std::tuple<HKEY, RegistryView, std::string, KeyAccess>;

  StoreContext& store_;    // not owned
  IErrorReport& report_;   // not owned
  std::map<KeyId, std::unique_ptr<RegistryAccess>> keys_;  // owned
  ErrorCode keyError_ = ERROR_SUCCESS;
  ActionJournal journal_;
  int failures_ = 0;
};

}  // namespace kestrun
