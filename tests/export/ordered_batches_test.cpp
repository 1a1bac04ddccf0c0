#include "export/ordered_batches.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

namespace varnelo {
namespace {

// Each item's text is its number and a comma.
char* Numbers(std::size_t begin, std::size_t end, char* out) {
    for (std::size_t i = begin; i < end; ++i) {
        const std::string text = std::to_string(i) + ",";
        out = std::copy(text.begin(), text.end(), out);
    }
    return out;
}

std::string Expected(std::size_t items) {
    std::string text;
    for (std::size_t i = 0; i < items; ++i) text += std::to_string(i) + ",";
    return text;
}

TEST(FormatInOrder, HandsOverEveryItemOnceInOrderWhateverTheBatching) {
    struct Case {
        std::size_t items;
        std::size_t perBatch;
    };
    for (const Case c : {Case{0, 4}, Case{1, 4}, Case{3, 4}, Case{4, 4}, Case{5, 4}, Case{1000, 7}, Case{20, 1},
                         Case{10, 0}}) {
        std::string taken;
        std::size_t lastDone = 0;
        bool inOrder = true;
        const bool complete = FormatInOrder({c.items, c.perBatch, 8 * std::max<std::size_t>(c.perBatch, 1)}, Numbers,
                                            [&](std::string_view text, std::size_t done) {
                                                inOrder = inOrder && done > lastDone && done <= c.items;
                                                lastDone = done;
                                                taken += text;
                                                return true;
                                            });
        EXPECT_TRUE(complete) << c.items;
        EXPECT_TRUE(inOrder) << c.items;
        EXPECT_EQ(taken, Expected(c.items)) << c.items << " by " << c.perBatch;
    }
}

// Stopped, it formats little beyond what was taken, and never gets further
// ahead of the taker than a few batches per core: memory stays bounded.
TEST(FormatInOrder, StaysAFewBatchesAheadAndStopsWhenTold) {
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t batches = 500;
    std::atomic<std::size_t> formatted{0};
    std::atomic<std::size_t> taken{0};
    std::atomic<std::size_t> furthestAhead{0};
    const FormatBatch format = [&](std::size_t begin, std::size_t end, char* out) {
        const std::size_t ahead = begin - taken.load();
        std::size_t furthest = furthestAhead.load();
        while (ahead > furthest && !furthestAhead.compare_exchange_weak(furthest, ahead)) {
        }
        ++formatted;
        return Numbers(begin, end, out);
    };
    const bool complete = FormatInOrder({batches, 1, 8}, format, [&](std::string_view, std::size_t done) {
        taken = done;
        std::this_thread::yield();
        return done < 100;
    });
    EXPECT_FALSE(complete);
    EXPECT_EQ(taken.load(), 100u);
    EXPECT_LE(furthestAhead.load(), 2 * cores + 1);
    EXPECT_LE(formatted.load(), 100 + 2 * cores + 1);

    // A taker that throws stops the workers too, and the exception comes through.
    const auto throwing = [](std::string_view, std::size_t done) -> bool {
        if (done == 3) throw std::runtime_error("taken badly");
        return true;
    };
    EXPECT_THROW(FormatInOrder({batches, 1, 8}, Numbers, throwing), std::runtime_error);
}

}  // namespace
}  // namespace varnelo
