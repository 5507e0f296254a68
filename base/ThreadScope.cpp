#include "base/ThreadScope.h"

namespace kestrun {
namespace {

thread_local ThreadScope* current = nullptr;  // a plain pointer: nothing for thread exit to destroy

}  // namespace

ThreadScope::ThreadScope() : outermost_(current == nullptr) {
  if (outermost_) current = this;
}

ThreadScope::~ThreadScope() {
  while (!kept_.empty()) kept_.pop_back();
  if (outermost_) current = nullptr;
}

ThreadScope* ThreadScope::Current() { return current; }

void* ThreadScope::Find(const void* key) const {
  for (const auto& [owner, object] : kept_)
    if (owner == key) return object.get();
  return nullptr;
}

}  // namespace kestrun
