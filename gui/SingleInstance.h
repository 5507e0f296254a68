#pragma once
// One running copy per session: the first start holds a named mutex for its whole life; a later start
// finds the first one's window and brings it to the front instead of opening a stale second copy.
#include <windows.h>

#include <string>

#include "base/Handles.h"

namespace kestrun::gui {

struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

class SingleInstance {
 public:
  explicit SingleInstance(const std::string& mutexName);
  // False when another process already holds the name.
  [[nodiscard]] bool First() const { return first_; }

 private:
  UniqueHandle<KernelHandleTraits> mutex_;
  bool first_ = true;
};

// Brings our visible form with this caption (or the box or dialog open over it) to the front, waiting
// up to waitMs for the other process to show it. False when none appeared.
bool BringRunningWindowToFront(const std::string& caption, DWORD waitMs);

}  // namespace kestrun::gui
