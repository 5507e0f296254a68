#include "base/Concurrent.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/ThreadScope.h"

namespace kestrun {

void ForEachConcurrently(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work) {
  std::atomic<std::size_t> next{0};
  std::exception_ptr failure;
  std::mutex failureLock;
  const auto drain = [&] {
    const ThreadScope scope;
    try {
      for (std::size_t i; (i = next.fetch_add(1)) < count;) work(i);
    } catch (...) {
      const std::lock_guard<std::mutex> hold(failureLock);
      if (!failure) failure = std::current_exception();
      next = count;  // the others stop at their next item
    }
  };
  std::vector<std::thread> helpers;
  const std::size_t extra = std::min<std::size_t>(threads ? threads - 1 : 0, count ? count - 1 : 0);
  helpers.reserve(extra);
  for (std::size_t t = 0; t < extra; ++t) {
    try {
      helpers.emplace_back(drain);
    } catch (const std::system_error&) {
      break;  // fewer threads do the same work
    }
  }
  drain();
  for (std::thread& helper : helpers) helper.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace kestrun
