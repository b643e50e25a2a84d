#include "Concurrently.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace penvane {

void ForEachConcurrently(size_t count, const std::function<void(size_t)>& job) {
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t workers = std::min(count, cores);
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i; (i = next++) < count;) job(i);
    };
    std::vector<std::thread> threads;
    // A thread that cannot be started leaves its share to the others.
    for (size_t w = 1; w < workers; ++w) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
    for (std::thread& t : threads) t.join();
}

}  // namespace penvane
