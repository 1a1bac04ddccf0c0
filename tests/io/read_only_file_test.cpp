#include "io/read_only_file.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "support/test_support.h"

namespace varnelo {
namespace {

std::vector<std::uint8_t> Counting(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return bytes;
}

TEST(ReadOnlyFile, AStretchReadHoldsEveryByteAndStopsAtTheEnd) {
    test::TempDir dir;
    const auto path = dir / "data";
    const std::size_t unit = 6728;
    const auto bytes = Counting(2000 * unit + 123);
    test::WriteFileBytes(path, bytes);
    ReadOnlyFile file;
    ASSERT_TRUE(file.open(path)) << file.status().detail;
    std::uintmax_t size = 0;
    ASSERT_TRUE(file.size(size));
    EXPECT_EQ(size, bytes.size());

    struct Case {
        std::uintmax_t offset;
        std::size_t asked;
        std::size_t expected;
    };
    for (const Case c : {Case{100, 1900 * unit, 1900 * unit},                 // whole units
                         Case{4, 2000 * unit + 100, 2000 * unit + 100},       // a ragged end
                         Case{0, 2100 * unit, bytes.size()},                  // past the end: what is there
                         Case{bytes.size(), 10, 0}}) {
        std::vector<std::uint8_t> into(c.asked, 0xEE);
        EXPECT_EQ(file.read(c.offset, into.data(), c.asked), c.expected) << c.offset;
        EXPECT_TRUE(std::equal(into.begin(), into.begin() + static_cast<std::ptrdiff_t>(c.expected),
                               bytes.begin() + static_cast<std::ptrdiff_t>(c.offset)))
            << c.offset;
    }
}

TEST(ReadOnlyFile, SaysWhyItCannotOpenOrSize) {
    test::TempDir dir;
    ReadOnlyFile missing;
    EXPECT_FALSE(missing.open(dir / "none"));
    EXPECT_EQ(missing.status().kind, Status::Kind::OpenFailed);
    EXPECT_NE(missing.status().systemErrorNumber, 0);

    ReadOnlyFile folder;
    std::uintmax_t size = 0;
    EXPECT_FALSE(folder.open(dir.path()) && folder.size(size));
    EXPECT_FALSE(folder.status().detail.empty());
}

}  // namespace
}  // namespace varnelo
