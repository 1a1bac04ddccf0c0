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

}  // namespace
}  // namespace varnelo
