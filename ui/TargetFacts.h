#pragma once
// What each row of the main list runs, who made it and whether its signature holds, found on a worker
// thread so that the window never waits: the rows in view first, then the rest in order. A file is
// checked once while its size and last-write time stay the same, across rescans.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "ui/EntryTip.h"

namespace kestrun {

class TargetFacts {
 public:
  explicit TargetFacts(IPlatform& platform);
  ~TargetFacts();  // abandons the work left and waits for the row at hand
  TargetFacts(const TargetFacts&) = delete;
  TargetFacts& operator=(const TargetFacts&) = delete;

  // Reads rows' commands, files and places, never their marks (the window's thread changes those).
  // Work pending for earlier rows is dropped and their results are never handed out. ready is called
  // on the worker thread when results wait to be taken (once until they are, and at most every
  // kBatch): it must only post.
  void Start(std::shared_ptr<const StartupRows> rows, std::function<void()> ready);
  void Cancel() { Start(nullptr, nullptr); }
  static constexpr std::chrono::milliseconds kBatch{100};
  // These rows next, once the one at hand is done.
  void Prefer(int first, int count);
  // The results found since the last call, each with its row.
  std::vector<std::pair<int, RowFacts>> Take();

 private:
  struct Stamped {
    std::uint64_t size = 0, written = 0;
    FilePublisher publisher;
  };
  void Work();
  int NextRow();  // under mutex_; -1: nothing left
  void Announce(bool done);  // under mutex_
  RowFacts Find(TargetResolver& resolver, const StartupRow& row);
  FilePublisher Publisher(const std::string& path);

  IPlatform& platform_;  // not owned
  std::mutex mutex_;
  std::condition_variable wake_;
  // Guarded by mutex_:
  std::shared_ptr<const StartupRows> rows_ = std::make_shared<const StartupRows>();
  std::vector<bool> taken_;  // row for row: handed to the worker
  int next_ = 0, preferFirst_ = 0, preferCount_ = 0;
  std::uint64_t generation_ = 0;
  std::function<void()> ready_;
  std::vector<std::pair<int, RowFacts>> results_;
  bool announced_ = false;  // ready was called and the results not yet taken
  std::chrono::steady_clock::time_point lastAnnounced_;
  bool stop_ = false;
  // The worker's own:
  std::map<std::string, Stamped> checked_;  // by path, ignoring case
  std::thread worker_;
};

}  // namespace kestrun
