#pragma once
// Objects one thread keeps for its work (a COM apartment and the objects made in it), released on that
// thread when its scope closes, while the thread still runs. A thread_local with a destructor would do
// it at thread exit, but MinGW's emulated TLS may free the variable's storage before its destructor
// runs there: a use after free that crashed a start once in many.
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace kestrun {

class ThreadScope {
 public:
  // The thread's scope until destroyed. A scope opened inside another adds nothing: the outer one keeps.
  ThreadScope();
  ~ThreadScope();  // releases what it keeps, the newest first
  ThreadScope(const ThreadScope&) = delete;
  ThreadScope& operator=(const ThreadScope&) = delete;

  // This thread's T, made at its first ask; null on a thread without a scope, whose caller makes its own.
  template <typename T>
  static T* Get() {
    ThreadScope* scope = Current();
    if (!scope) return nullptr;
    if (void* kept = scope->Find(Key<T>())) return static_cast<T*>(kept);
    auto made = std::make_shared<T>();
    T* object = made.get();
    scope->kept_.emplace_back(Key<T>(), std::move(made));
    return object;
  }

 private:
  template <typename T>
  static const void* Key() {
    static const char key = 0;
    return &key;
  }
  static ThreadScope* Current();
  [[nodiscard]] void* Find(const void* key) const;

  bool outermost_;
  std::vector<std::pair<const void*, std::shared_ptr<void>>> kept_;
};

// This thread's T where the thread has a scope; else one of the caller's own, for this use alone.
template <typename T>
class ThreadObject {
 public:
  ThreadObject() : object_(ThreadScope::Get<T>()) {
    if (!object_) object_ = &own_.emplace();
  }
  ThreadObject(const ThreadObject&) = delete;
  ThreadObject& operator=(const ThreadObject&) = delete;
  T* operator->() const { return object_; }

 private:
  std::optional<T> own_;
  T* object_;
};

}  // namespace kestrun
