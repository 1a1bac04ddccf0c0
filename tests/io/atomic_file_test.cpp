#include "io/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>
#include <string>

#include "support/test_support.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;

std::string Text(const fs::path& path) {
    const auto bytes = test::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool WriteAll(const fs::path& target, const std::string& text) {
    AtomicFileWriter writer(target);
    return writer.open() && writer.write(text) && writer.commit();
}

TEST(AtomicFile, ALinkIsFollowedAndItsTargetReplaced) {
    test::TempDir dir;
    fs::create_directory(dir / "data");
    test::WriteFileBytes(dir / "data" / "real.csv", {'o', 'l', 'd'});
    fs::permissions(dir / "data" / "real.csv", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("data/real.csv", dir / "first.csv");   // relative, from the link's own folder
    fs::create_symlink(dir / "first.csv", dir / "second.csv");  // a chain of them
    fs::create_symlink("data/new.csv", dir / "dangling.csv");

    ASSERT_TRUE(WriteAll(dir / "second.csv", "through two links"));
    EXPECT_TRUE(fs::is_symlink(dir / "second.csv"));
    EXPECT_TRUE(fs::is_symlink(dir / "first.csv"));
    EXPECT_EQ(Text(dir / "data" / "real.csv"), "through two links");
    EXPECT_EQ(fs::status(dir / "data" / "real.csv").permissions(), fs::perms::owner_read | fs::perms::owner_write);

    ASSERT_TRUE(WriteAll(dir / "dangling.csv", "made"));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.csv"));
    EXPECT_EQ(Text(dir / "data" / "new.csv"), "made");
    EXPECT_EQ(test::EntriesIn(dir / "data"), 2u) << "no temporary file is left beside the target";

    fs::create_symlink("loop.csv", dir / "loop.csv");
    AtomicFileWriter loop(dir / "loop.csv");
    EXPECT_FALSE(loop.open());
    EXPECT_NE(loop.status().detail.find("loop.csv"), std::string::npos);
}

TEST(AtomicFile, AFifoIsWrittenDirectlyAndStaysAFifo) {
    test::TempDir dir;
    const fs::path fifo = dir / "out.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Opened before the writer, so the writer's open does not wait for a reader.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const std::string text(100000, 'x');  // more than the pipe holds: reader and writer must overlap
    auto written = std::async(std::launch::async, [&] { return WriteAll(fifo, text); });
    std::string received;
    char buffer[4096];
    pollfd fd{reader, POLLIN, 0};
    while (received.size() < text.size() && ::poll(&fd, 1, 5000) > 0) {
        const ssize_t n = ::read(reader, buffer, sizeof buffer);
        if (n > 0) received.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(reader);
    EXPECT_TRUE(written.get());
    EXPECT_EQ(received.size(), text.size());
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(test::EntriesIn(dir.path()), 1u);
}

TEST(AtomicFile, OnlyWhatCanBeReplacedIsWrittenThroughATemporaryFile) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "file.csv", {'x'});
    fs::create_symlink("file.csv", dir / "link.csv");
    ASSERT_EQ(::mkfifo((dir / "out.fifo").c_str(), 0600), 0);
    fs::create_symlink("out.fifo", dir / "fifo-link");
    struct Case {
        fs::path target;
        bool throughTemporary;
    };
    for (const Case& c : {Case{dir / "file.csv", true}, Case{dir / "new.csv", true}, Case{dir / "link.csv", true},
                          Case{dir / "out.fifo", false}, Case{dir / "fifo-link", false}, Case{"/dev/null", false},
                          Case{STANDARD_OUTPUT_NAME, false}})
        EXPECT_EQ(WrittenThroughTemporary(c.target), c.throughTemporary) << c.target;
}

}  // namespace
}  // namespace varnelo
