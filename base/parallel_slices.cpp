#include "base/parallel_slices.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

void forEachSlice(int32_t count, void (*work)(int32_t first, int32_t end, void* context), void* context) {
    if (count <= 0) return;
    const int32_t cores = static_cast<int32_t>(std::max(1u, std::min(std::thread::hardware_concurrency(), 8u)));
    const int32_t threads = std::min(cores, count);
    std::vector<std::thread> helpers;
    std::vector<int32_t> leftover;  // ranges no thread could be started for, by their first slice
    for (int32_t t = 1; t < threads; ++t) {
        const int32_t first = static_cast<int32_t>(int64_t(count) * t / threads);
        const int32_t end = static_cast<int32_t>(int64_t(count) * (t + 1) / threads);
        try {
            helpers.emplace_back(work, first, end, context);
        } catch (const std::system_error&) {
            leftover.push_back(t);
        }
    }
    work(0, static_cast<int32_t>(int64_t(count) / threads), context);
    for (int32_t t : leftover)
        work(static_cast<int32_t>(int64_t(count) * t / threads), static_cast<int32_t>(int64_t(count) * (t + 1) / threads),
             context);
    for (std::thread& helper : helpers) helper.join();
}
