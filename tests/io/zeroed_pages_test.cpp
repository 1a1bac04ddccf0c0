#include "io/zeroed_pages.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace varnelo {
namespace {

TEST(ZeroedPages, AreZeroWritableToTheEndAndStartOnAHugePage) {
    for (const std::size_t size : {std::size_t{1}, std::size_t{4096}, std::size_t{100926732}}) {
        ZeroedPages pages(size);
        auto* const bytes = static_cast<std::uint8_t*>(pages.data());
        EXPECT_EQ(pages.size(), size);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bytes) % ZeroedPages::HUGE_PAGE_SIZE, 0u);
        for (std::size_t i = 0; i < size; i += 4093) EXPECT_EQ(bytes[i], 0) << i;
        EXPECT_EQ(bytes[size - 1], 0);
        bytes[0] = bytes[size - 1] = 0xAB;
        EXPECT_EQ(bytes[size - 1], 0xAB);
    }
}

// Pages brought in ahead change no byte, not even one written meanwhile, and
// the work can be ended early or left to the destructor.
TEST(ZeroedPages, BackingAheadChangesNoByte) {
    constexpr std::size_t SIZE = std::size_t{48} << 20;
    for (const bool stopEarly : {false, true}) {
        ZeroedPages pages(SIZE);
        auto* const bytes = static_cast<std::uint8_t*>(pages.data());
        pages.backAhead(6732, SIZE - 6732);
        for (std::size_t i = 6732; i < SIZE; i += 6728) bytes[i] = 0x5A;
        if (stopEarly) pages.stopBackingAhead();
        pages.backAhead(0, SIZE);  // ends the work before
        pages.stopBackingAhead();
        for (std::size_t i = 6732; i < SIZE; i += 6728) ASSERT_EQ(bytes[i], 0x5A) << i;
        for (std::size_t i = 6733; i < SIZE; i += 6728) ASSERT_EQ(bytes[i], 0) << i;
        pages.backAhead(0, SIZE);  // still at work when the pages go
    }
}

}  // namespace
}  // namespace varnelo
