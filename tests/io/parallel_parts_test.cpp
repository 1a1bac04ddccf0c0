#include "io/parallel_parts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace varnelo {
namespace {

TEST(ForEachPart, CoversEveryItemOnceInConsecutivePartsOfAtLeastTheMinimum) {
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    struct Case {
        std::size_t count;
        std::size_t minimum;
    };
    for (const Case c : {Case{0, 10}, Case{1, 10}, Case{9, 10}, Case{10, 10}, Case{25, 10}, Case{15000, 2048},
                         Case{15001, 1}, Case{7, 0}}) {
        std::vector<int> seen(c.count, 0);
        std::vector<std::pair<std::size_t, std::size_t>> parts;
        std::mutex mutex;
        ForEachPart(c.count, c.minimum, [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) ++seen[i];
            const std::lock_guard lock(mutex);
            parts.emplace_back(begin, end);
        });
        EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; })) << c.count;
        std::sort(parts.begin(), parts.end());
        ASSERT_FALSE(parts.empty()) << c.count;
        EXPECT_EQ(parts.size(), PartCount(c.count, c.minimum)) << c.count;
        EXPECT_LE(parts.size(), cores);
        EXPECT_EQ(parts.front().first, 0u);
        EXPECT_EQ(parts.back().second, c.count);
        for (std::size_t k = 1; k < parts.size(); ++k) EXPECT_EQ(parts[k].first, parts[k - 1].second) << c.count;
        if (parts.size() > 1) {
            for (const auto& [begin, end] : parts) EXPECT_GE(end - begin, std::max<std::size_t>(c.minimum, 1));
        }
    }
}

TEST(ForEachPart, PartsRunAtTheSameTimeWhenThereAreCores) {
    if (std::thread::hardware_concurrency() < 2) GTEST_SKIP() << "one core";
    // Each part waits for the other to start: done in sequence, this would never finish.
    std::atomic<int> started{0};
    ForEachPart(2, 1, [&](std::size_t, std::size_t) {
        ++started;
        while (started.load() < 2) std::this_thread::yield();
    });
    EXPECT_EQ(started.load(), 2);
}

}  // namespace
}  // namespace varnelo
