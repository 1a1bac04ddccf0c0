// The lock every writer takes, and temporaries that killed writers leave.
#include "io/file_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>
#include <thread>

#include "io/atomic_file.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The number of a process that has ended and been reaped.
long DeadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(TemporaryName, OnlyThoseOfProcessesGoneAreRemoved) {
    test::TempDir dir;
    const std::string dead = std::to_string(DeadPid()), hex = "0123456789abcdef";
    const std::pair<std::string, bool> cases[] = {  // name, removed
        {".day.csv." + dead + "." + hex + "~", true},
        {".day.csv." + std::to_string(::getpid()) + "." + hex + "~", false},   // this process
        {".day.csv." + std::to_string(::getppid()) + "." + hex + "~", false},  // another live one
        {".day.csv." + dead + ".0123456789ABCDEF~", false},
        {".day.csv." + dead + "." + hex.substr(1) + "~", false},
        {".day.csv." + dead + "." + hex, false},
        {".day.csv.0" + dead + "." + hex + "~", false},
        {".day.csv." + hex + "~", false},  // the form of older writers: no owner to ask
        {".other.csv." + dead + "." + hex + "~", false},
        {"day.csv." + dead + "." + hex + "~", false},
    };
    for (const auto& [name, removed] : cases) test::WriteFileBytes(dir / name, {'x'});

    AtomicFileWriter writer(dir / "day.csv");
    ASSERT_TRUE(writer.open() && writer.write("new") && writer.commit()) << writer.status().detail;
    for (const auto& [name, removed] : cases) EXPECT_EQ(fs::exists(dir / name), !removed) << name;
}

TEST(LockedFile, AWriterWaitsForTheHolderAndFollowsAFileRenamedOverIt) {
    test::TempDir dir;
    const fs::path path = dir / "day.csv";
    test::WriteFileBytes(path, {'o', 'l', 'd'});
    auto holder = std::make_unique<LockedFile>();
    ASSERT_TRUE(holder->open(path, LockAccess::ReadWrite));

    AtomicFileWriter saver(path);
    EXPECT_FALSE(saver.open() && saver.write("new") && saver.commit());
    EXPECT_EQ(saver.status().detail, path.string() + " is being written by another program");
    EXPECT_EQ(saver.status().cause, Status::Cause::Busy);
    EXPECT_EQ(test::ReadFileBytes(path), (std::vector<std::uint8_t>{'o', 'l', 'd'}));

    // The holder replaces the file while another waits for the old one.
    auto waiting = std::async(std::launch::async, [&] {
        LockedFile writer;
        return writer.open(path, LockAccess::ReadWrite, 5s) && writer.write(0, "N", 1);
    });
    std::this_thread::sleep_for(200ms);
    test::WriteFileBytes(dir / "replacement", {'n', 'e', 'w'});
    fs::rename(dir / "replacement", path);
    holder.reset();
    EXPECT_TRUE(waiting.get());
    EXPECT_EQ(test::ReadFileBytes(path), (std::vector<std::uint8_t>{'N', 'e', 'w'}));
}

}  // namespace
}  // namespace varnelo
