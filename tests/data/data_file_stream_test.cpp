#include "data/data_file_stream.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "support/test_support.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<CVarneloDoc> Filled(int count) {
    auto doc = std::make_unique<CVarneloDoc>();
    doc->parameterBlock() = test::PatternRecord(1);
    for (int i = 0; i < count; ++i) doc->record(i) = test::PatternRecord(2 + static_cast<std::uint32_t>(i));
    doc->setRecordCount(count);
    return doc;
}

std::size_t FilesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Written as the records arrive, the file is the one a save writes at the end.
TEST(DataFileStream, RecordsAnnouncedAsTheyArriveMakeTheSavedFile) {
    for (const int count : {0, 1, 63, 64, 65, 700}) {
        test::TempDir dir;
        const auto doc = Filled(count);
        ASSERT_TRUE(SaveDataFile(dir / "saved.vrnldata", *doc));
        {
            DataFileStream stream(dir / "streamed.vrnldata", *doc, count);
            for (int done = 1; done <= count; done += 1 + done / 3) stream.advance(done);
            stream.advance(count);
            ASSERT_TRUE(stream.finish()) << count;
        }
        EXPECT_EQ(test::ReadFileBytes(dir / "streamed.vrnldata"), test::ReadFileBytes(dir / "saved.vrnldata")) << count;
        EXPECT_EQ(FilesIn(dir.path()), 2u) << "no temporary file is left behind";
    }
}

TEST(DataFileStream, AnUnfinishedOrIncompleteStreamLeavesTheOldFileAlone) {
    const auto doc = Filled(200);
    for (const bool finishEarly : {false, true}) {
        test::TempDir dir;
        const auto path = dir / "out.vrnldata";
        test::WriteFileBytes(path, {'o', 'l', 'd'});
        {
            DataFileStream stream(path, *doc, 200);
            stream.advance(150);
            if (finishEarly) {
                const Status error = stream.finish();
                ASSERT_FALSE(error);
                EXPECT_EQ(error.kind, Status::Kind::SaveFailed);
            }
        }
        EXPECT_EQ(test::ReadFileBytes(path), (std::vector<std::uint8_t>{'o', 'l', 'd'})) << finishEarly;
        EXPECT_EQ(FilesIn(dir.path()), 1u) << finishEarly;
    }
}

// A FIFO sees every byte it is given: records of a download that may yet
// stop are held back, and only a finished stream writes the file, whole.
TEST(DataFileStream, AFifoGetsNothingUnlessFinishedAndThenTheWholeFile) {
    test::TempDir dir;
    const auto doc = Filled(4);  // less than a pipe holds
    ASSERT_TRUE(SaveDataFile(dir / "saved.vrnldata", *doc));
    const fs::path fifo = dir / "out.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const auto received = [reader] {
        std::vector<std::uint8_t> bytes;
        std::uint8_t buffer[4096];
        ssize_t n;
        while ((n = ::read(reader, buffer, sizeof buffer)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
        return bytes;
    };
    {
        DataFileStream stopped(fifo, *doc, 4);
        stopped.advance(3);
    }
    EXPECT_TRUE(received().empty());
    {
        DataFileStream finished(fifo, *doc, 4);
        finished.advance(4);
        EXPECT_TRUE(finished.finish());
    }
    EXPECT_EQ(received(), test::ReadFileBytes(dir / "saved.vrnldata"));
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST(DataFileStream, AFileThatCannotBeWrittenIsReportedAtTheEnd) {
    test::TempDir dir;
    const auto doc = Filled(3);
    DataFileStream stream(dir / "missing" / "out.vrnldata", *doc, 3);
    stream.advance(3);
    const Status error = stream.finish();
    ASSERT_FALSE(error);
    EXPECT_EQ(error.kind, Status::Kind::SaveFailed);
    EXPECT_NE(error.detail.find("missing"), std::string::npos) << error.detail;
}

}  // namespace
}  // namespace varnelo
