#pragma once
// Work spread over a few threads, for calls that mostly wait: under Wine every registry and file
// call is a round trip to one server, and a single thread spends most of its time waiting for the
// answer while the server could already take the next question.
#include <cstddef>
#include <functional>

namespace kestrun {

// Calls work(i) for every i below count, on up to threads threads (this one among them, the others
// added while the work lasts), and returns when all are done. The order of the calls is unspecified;
// each i is done exactly once. The first exception a call throws is rethrown here once every thread
// has stopped.
void ForEachConcurrently(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work);

}  // namespace kestrun
