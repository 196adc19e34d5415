// Work shared out index by index to a few threads.
#include "engine/ParallelIndices.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace kestrel {

unsigned workerCount(unsigned requested) {
    if (requested > 0) return requested;
    return std::max(1u, std::thread::hardware_concurrency());
}

void forEachIndexInParallel(int64_t count, unsigned threads,
                            const std::function<void(int64_t index)>& work) {
    if (count <= 0) return;
    std::atomic<int64_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr firstError;
    std::mutex errorLock;
    const auto worker = [&] {
        for (int64_t i = next++; i < count && !failed; i = next++) {
            try {
                work(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(errorLock);
                if (!firstError) firstError = std::current_exception();
                failed = true;
            }
        }
    };
    const unsigned workers = static_cast<unsigned>(std::min<int64_t>(workerCount(threads), count));
    std::vector<std::thread> helpers;
    helpers.reserve(workers - 1);
    try {
        for (unsigned t = 1; t < workers; ++t) helpers.emplace_back(worker);
    } catch (const std::system_error&) {
        // No more threads to be had: those started and this one share the work.
    }
    worker();  // the calling thread takes its share too
    for (auto& helper : helpers) helper.join();
    if (firstError) std::rethrow_exception(firstError);
}

}  // namespace kestrel
