// A data file extended in place, by one writer at a time.
#include "data/data_file_append.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <future>
#include <thread>

#include "support/test_support.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::unique_ptr<CVarneloDoc> NumberedDoc(int count) {
    auto doc = std::make_unique<CVarneloDoc>();
    doc->parameterBlock() = test::PatternRecord(7);
    for (int i = 0; i < count; ++i) doc->record(i) = test::PatternRecord(100 + static_cast<std::uint32_t>(i));
    doc->setRecordCount(count);
    return doc;
}

std::vector<std::uint8_t> SavedImage(CVarneloDoc& doc, int count, const fs::path& path) {
    doc.setRecordCount(count);
    EXPECT_TRUE(SaveDataFile(path, doc));
    return test::ReadFileBytes(path);
}

TEST(LockedDataFile, AppendsInPlaceKeepingTheFileAndWritingOverLeftovers) {
    const struct {
        int kept, end;
        std::size_t leftover;  // bytes after the last announced record
    } cases[] = {{3, 5, 0}, {3, 5, 100}, {3, 4, BLOCK_SIZE * 3 / 2}, {3, 3, 0}};
    for (const auto& c : cases) {
        test::TempDir dir;
        const fs::path path = dir / "day.vrnldata";
        const auto doc = NumberedDoc(c.end);
        const auto expected = SavedImage(*doc, c.end, dir / "expected.vrnldata");
        auto old = SavedImage(*doc, c.kept, path);
        old.resize(old.size() + c.leftover, 0xA5);
        test::WriteFileBytes(path, old);
        fs::permissions(path, fs::perms(0640));
        fs::create_hard_link(path, dir / "link.vrnldata");
        struct stat before {}, after {};
        ::stat(path.c_str(), &before);
        LockedDataFile file;
        ASSERT_TRUE(file.open(path)) << c.leftover;
        EXPECT_EQ(file.count(), c.kept);
        const AppendResult result = file.append(*doc, c.end);
        EXPECT_TRUE(result.status && result.overwrittenBytes == c.leftover) << c.leftover;
        ::stat(path.c_str(), &after);
        EXPECT_TRUE(after.st_ino == before.st_ino && after.st_mode == before.st_mode) << c.leftover;
        EXPECT_TRUE(test::ReadFileBytes(dir / "link.vrnldata") == expected) << c.leftover;
    }
}

TEST(LockedDataFile, OneWriterAtATimeAndTheNextReadsWhatTheFirstLeft) {
    test::TempDir dir;
    const fs::path path = dir / "day.vrnldata";
    const auto doc = NumberedDoc(6);
    const auto old = SavedImage(*doc, 2, path);
    auto first = std::make_unique<LockedDataFile>();
    ASSERT_TRUE(first->open(path));
    LockedDataFile second;  // an open file of its own
    const Status refused = second.open(path, 100ms);
    ASSERT_FALSE(refused);
    EXPECT_TRUE(second.busy());
    EXPECT_EQ(refused.detail, path.string() + " is being written by another program");
    EXPECT_TRUE(test::ReadFileBytes(path) == old);

    auto waiting = std::async(std::launch::async, [&] {
        LockedDataFile third;
        return third.open(path, 5s) ? third.count() : -1;
    });
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(first->append(*doc, 4).status);
    first.reset();
    EXPECT_EQ(waiting.get(), 4);
}

}  // namespace
}  // namespace varnelo
