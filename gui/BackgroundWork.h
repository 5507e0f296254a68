#pragma once
// Long work off the window's thread, with the handler that starts it still running it in place.
#include <functional>

#include "gui/Form.h"

namespace kestrun::gui {

// Work that ends within this many milliseconds shows no wait cursor at all, rather than a flicker.
inline constexpr DWORD kBusyCursorDelay = 150;

// Runs work on a worker thread and returns when it is done. Meanwhile the calling thread paints and
// answers messages sent to it (work may hand calls to it through Form::RunOnOwnThread), but takes no
// input and runs no timers, so no other handler starts; after a moment the form shows the wait
// cursor. An exception of work is raised again on the calling thread.
void RunInBackground(Form& form, const std::function<void()>& work);

}  // namespace kestrun::gui
