#pragma once
// Work cut into consecutive parts that run at the same time, one per
// processor core: loading, the track and the export use every core the
// machine has without any of them owning a thread pool.

#include <cstddef>
#include <functional>

namespace varnelo {

// How many parts ForEachPart cuts `count` items into: one per core, none
// smaller than `minimum` items, and at least one.
std::size_t PartCount(std::size_t count, std::size_t minimum);

// Runs body(begin, end) over consecutive parts of [0, count) at the same
// time, the first part on the calling thread, and returns once every part
// has finished. A part whose thread cannot be started runs on the calling
// thread instead, so the work is always done.
void ForEachPart(std::size_t count, std::size_t minimum,
                 const std::function<void(std::size_t begin, std::size_t end)>& body);

}  // namespace varnelo
