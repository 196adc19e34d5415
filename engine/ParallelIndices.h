// Running a piece of work for every index of a range on several threads at once.
#pragma once

#include <cstdint>
#include <functional>

namespace kestrel {

/// @brief The number of workers that `requested` asks for: itself, or one per core for 0.
unsigned workerCount(unsigned requested);

/// @brief Calls work(i) once for every i in 0..count-1 on up to `threads` threads (0: one per
/// core), each taking the next index not yet taken, so uneven pieces of work even out. Returns
/// when every call has returned; the first exception thrown by a call is rethrown here (the
/// indices not yet taken are then skipped).
void forEachIndexInParallel(int64_t count, unsigned threads,
                            const std::function<void(int64_t index)>& work);

}  // namespace kestrel
