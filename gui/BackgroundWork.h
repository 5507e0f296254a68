#pragma once
// Long work off the window's thread, with the handler that starts it still running it in place.
#include <exception>
#include <functional>
#include <thread>

#include "base/Handles.h"
#include "gui/Form.h"

namespace kestrun::gui {

// Work that ends within this many milliseconds shows no wait cursor at all, rather than a flicker.
inline constexpr DWORD kBusyCursorDelay = 150;

// Work started on a worker thread now, awaited later: work the window will need the moment it shows
// (its first scan) runs while the window is being made.
class BackgroundTask {
 public:
  explicit BackgroundTask(std::function<void()> work);
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;
  // Waits for the work, answering what it sends this thread meanwhile (it may be waiting for an answer).
  ~BackgroundTask();

  // Returns when the work is done, as RunInBackground does; an exception of work is raised here.
  void Await(Form& form);

 private:
  struct EventTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
  };

  std::function<void()> work_;
  std::exception_ptr failure_;
  UniqueHandle<EventTraits> done_;
  std::thread worker_;
};

// Runs work on a worker thread and returns when it is done. Meanwhile the calling thread paints and
// answers messages sent to it (work may hand calls to it through Form::RunOnOwnThread), but takes no
// input and runs no timers, so no other handler starts; after a moment the form shows the wait
// cursor. An exception of work is raised again on the calling thread.
void RunInBackground(Form& form, const std::function<void()>& work);

}  // namespace kestrun::gui
