// Extending a data file in place: the same file grows, nothing else
// changes, and one writer at a time holds it.
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
using FileBytes = std::vector<std::uint8_t>;

std::unique_ptr<CVarneloDoc> NumberedDoc(int count) {
    auto doc = std::make_unique<CVarneloDoc>();
    doc->parameterBlock() = test::PatternRecord(7);
    for (int i = 0; i < count; ++i) doc->record(i) = test::PatternRecord(100 + static_cast<std::uint32_t>(i));
    doc->setRecordCount(count);
    return doc;
}

FileBytes SavedImage(const CVarneloDoc& doc, const fs::path& path) {
    EXPECT_FALSE(SaveDataFile(path, doc));
    return test::ReadFileBytes(path);
}

TEST(LockedDataFile, AppendsInPlaceKeepingTheFileAndWritingOverLeftovers) {
    struct Case {
        const char* name;
        int kept, end;
        std::size_t leftover;  // bytes after the last announced record
    };
    const Case cases[] = {
        {"Clean", 3, 5, 0},
        {"LeftoverShorterThanTheNewRecords", 3, 5, 100},
        {"LeftoverLongerThanTheNewRecords", 3, 4, BLOCK_SIZE * 3 / 2},
        {"NothingNew", 3, 3, 0},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const auto doc = NumberedDoc(c.end);
        const FileBytes expected = SavedImage(*doc, dir / "expected.vrnldata");
        doc->setRecordCount(c.kept);
        FileBytes old = SavedImage(*doc, dir / "day.vrnldata");
        old.resize(old.size() + c.leftover, 0xA5);
        test::WriteFileBytes(dir / "day.vrnldata", old);
        fs::permissions(dir / "day.vrnldata", fs::perms(0640));
        fs::create_hard_link(dir / "day.vrnldata", dir / "link.vrnldata");
        struct stat before {};
        ::stat((dir / "day.vrnldata").c_str(), &before);

        LockedDataFile file;
        ASSERT_FALSE(file.open(dir / "day.vrnldata")) << c.name;
        EXPECT_EQ(file.count(), c.kept) << c.name;
        doc->setRecordCount(c.end);
        const AppendResult result = file.append(*doc, c.end);
        ASSERT_FALSE(result.error) << c.name << ": " << result.error->detail;
        EXPECT_EQ(result.overwrittenBytes, c.leftover) << c.name;

        struct stat after {};
        ::stat((dir / "day.vrnldata").c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino) << c.name;
        EXPECT_EQ(after.st_mode, before.st_mode) << c.name;
        EXPECT_TRUE(test::ReadFileBytes(dir / "link.vrnldata") == expected) << c.name;
        EXPECT_EQ(test::EntriesIn(dir.path()), 3u) << c.name;
    }
}

TEST(LockedDataFile, OneWriterAtATime) {
    test::TempDir dir;
    const fs::path path = dir / "day.vrnldata";
    const auto doc = NumberedDoc(6);
    doc->setRecordCount(2);
    const FileBytes old = SavedImage(*doc, path);

    auto first = std::make_unique<LockedDataFile>();
    ASSERT_FALSE(first->open(path));
    // A second writer, on an open file of its own, waits a moment and gives up.
    LockedDataFile second;
    const FileOutcome refused = second.open(path, 100ms);
    ASSERT_TRUE(refused);
    EXPECT_TRUE(second.busy());
    EXPECT_EQ(refused->detail, path.string() + " is being written by another program");
    EXPECT_TRUE(second.append(*doc, 6).error);
    const FileOutcome saved = SaveDataFile(path, *doc);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->detail, path.string() + " is being written by another program");
    EXPECT_TRUE(test::ReadFileBytes(path) == old);
    EXPECT_EQ(test::EntriesIn(dir.path()), 1u) << "the refused save left its temporary";

    // One that waits long enough reads the count the first one left.
    auto waiting = std::async(std::launch::async, [&] {
        LockedDataFile third;
        const FileOutcome error = third.open(path, 5s);
        return error ? -1 : third.count();
    });
    std::this_thread::sleep_for(200ms);
    ASSERT_FALSE(first->append(*doc, 4).error);
    first.reset();
    EXPECT_EQ(waiting.get(), 4);
}

TEST(LockedDataFile, RefusesWhatCannotBeExtendedInPlace) {
    test::TempDir dir;
    const auto doc = NumberedDoc(2);
    SavedImage(*doc, dir / "readonly.vrnldata");
    fs::permissions(dir / "readonly.vrnldata", fs::perms(0444));
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    test::WriteFileBytes(dir / "short.vrnldata", {1, 2, 3});
    const struct {
        const char* file;
        const char* says;
    } cases[] = {
        {"readonly.vrnldata", "the file is read-only"},
        {"fifo", "not a regular file"},
        {"missing.vrnldata", "No such file"},
        {"short.vrnldata", "shorter than"},
    };
    for (const auto& c : cases) {
        LockedDataFile file;
        const FileOutcome refused = file.open(dir / c.file);
        ASSERT_TRUE(refused) << c.file;
        EXPECT_NE(refused->detail.find(c.says), std::string::npos) << refused->detail;
    }
}

}  // namespace
}  // namespace varnelo
