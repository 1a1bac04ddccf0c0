#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <tuple>

#include "device/device_link.h"
#include "device/port_lock.h"
#include "device/port_lock_file.h"
#include "device/qt_serial_link.h"

namespace varnelo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// The test plays the logger on the master side of a fresh pseudo-terminal.
class PtyPair {
public:
    PtyPair() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(m_master, 0);
        ::grantpt(m_master);
        ::unlockpt(m_master);
        path = ::ptsname(m_master);
    }
    ~PtyPair() { closeMaster(); }
    void send(const Bytes& bytes) { EXPECT_EQ(::write(m_master, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    Bytes receive(std::size_t n) {
        Bytes bytes(n);
        std::size_t got = 0;
        pollfd fd{m_master, POLLIN, 0};
        while (got < n && ::poll(&fd, 1, 2000) > 0) {
            const ssize_t r = ::read(m_master, bytes.data() + got, n - got);
            if (r <= 0) break;
            got += static_cast<std::size_t>(r);
        }
        bytes.resize(got);
        return bytes;
    }
    // Everything that arrives until the line has been quiet for a while.
    Bytes drain() {
        Bytes bytes;
        std::uint8_t chunk[65536];
        pollfd fd{m_master, POLLIN, 0};
        while (::poll(&fd, 1, 300) > 0) {
            const ssize_t r = ::read(m_master, chunk, sizeof chunk);
            if (r <= 0) break;
            bytes.insert(bytes.end(), chunk, chunk + r);
        }
        return bytes;
    }
    void closeMaster() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }
    std::string path;

private:
    int m_master = -1;
};

std::unique_ptr<ByteLink> OpenLink(const std::string& path) {
    OpenedPort opened = OpenSerialPort(path);
    EXPECT_TRUE(opened.link) << opened.status.detail;
    return std::move(opened.link);
}

TEST(QtSerialLink, OpensAPseudoTerminalAndCarriesAnExchange) {
    PtyPair pty;
    auto link = OpenLink(pty.path);
    ASSERT_TRUE(link);
    Bytes count(4, 0);
    pty.send({0x2A, 0x00, 0x00, 0x00});  // the answer may well be there before the question
    EXPECT_TRUE(Request(*link, DeviceCommand::CMD_READ_RECORD_COUNT, count.data(), 4));
    EXPECT_EQ(pty.receive(4), (Bytes{0x12, 0x00, 0x04, 0x00}));
    EXPECT_EQ(count[0], 0x2A);
}

TEST(QtSerialLink, AReadTakesExactlyWhatWasAskedAndLeavesTheRestQueued) {
    PtyPair pty;
    auto link = OpenLink(pty.path);
    ASSERT_TRUE(link);
    pty.send({1, 2, 3, 4, 5, 6});
    Bytes first(4), second(2);
    ::usleep(50000);
    EXPECT_EQ(link->read(first.data(), 4, LinkClock::now() + 2s), 4u);
    EXPECT_TRUE(link->inputPending());
    EXPECT_EQ(link->read(second.data(), 2, LinkClock::now() + 2s), 2u);
    EXPECT_FALSE(link->inputPending());
    EXPECT_EQ(first, (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(second, (Bytes{5, 6}));
}

TEST(QtSerialLink, AReplyThatArrivesInPiecesIsReadWhole) {
    PtyPair pty;
    auto link = OpenLink(pty.path);
    ASSERT_TRUE(link);
    Bytes reply(6728);
    for (std::size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<std::uint8_t>(i * 13);
    std::thread logger([&] {
        EXPECT_EQ(pty.receive(4), (Bytes{0x10, 0x00, 0x48, 0x1A}));
        for (std::size_t from = 0; from < reply.size(); from += 3000) {
            pty.send(Bytes(reply.begin() + from, reply.begin() + std::min(from + 3000, reply.size())));
            std::this_thread::sleep_for(20ms);
        }
    });
    Bytes buffer(6728, 0);
    EXPECT_TRUE(Request(*link, DeviceCommand::CMD_READ_RECORD, buffer.data(), buffer.size()));
    logger.join();
    EXPECT_EQ(buffer, reply);
}

TEST(QtSerialLink, AShortReplyEndsAtTheDeadlineWithWhatArrived) {
    PtyPair pty;
    auto link = OpenLink(pty.path);
    ASSERT_TRUE(link);
    pty.send({9, 8, 7});
    Bytes buffer(6728, 0);
    const Status result = Request(*link, DeviceCommand::CMD_READ_RECORD, buffer.data(), buffer.size(), 200ms);
    EXPECT_EQ(result.kind, Status::Kind::ReplyShort);
    EXPECT_EQ(result.done, 3u);
    EXPECT_EQ(buffer[2], 7);
    EXPECT_FALSE(link->gone());
}

TEST(QtSerialLink, DiscardDropsStaleBytesAndOpenStartsClean) {
    PtyPair pty;
    {
        // Bytes left over from an earlier client must not reach the next one.
        auto earlier = OpenLink(pty.path);
        pty.send({0xEE, 0xEE});
    }
    auto link = OpenLink(pty.path);
    ASSERT_TRUE(link);
    Bytes one(1, 0);
    EXPECT_EQ(link->read(one.data(), 1, LinkClock::now() + 100ms), 0u);

    pty.send({0xDD, 0xDD, 0xDD});
    ::usleep(50000);
    link->discardInput();
    pty.send({0x11});
    EXPECT_EQ(link->read(one.data(), 1, LinkClock::now() + 2s), 1u);
    EXPECT_EQ(one[0], 0x11);
}

TEST(QtSerialLink, DiscardAlsoDropsWhatTheAdapterHasAlreadyTakenIn) {
    // While an event loop runs, as in the desktop program between two ticks,
    // the adapter takes arriving bytes off the terminal into a buffer of its own.
    int argc = 1;
    char name[] = "serial_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    PtyPair pty;
    auto link = OpenLink(pty.path);
    ASSERT_TRUE(link);
    pty.send({0xDD, 0xDD, 0xDD});
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        ::usleep(5000);
    }
    link->discardInput();
    pty.send({0x11});
    Bytes one(1, 0);
    ASSERT_EQ(link->read(one.data(), 1, LinkClock::now() + 2s), 1u);
    EXPECT_EQ(one[0], 0x11);
}

TEST(QtSerialLink, AFrameThatMissesItsWriteDeadlineSendsNothingLater) {
    PtyPair pty;
    auto link = OpenLink(pty.path);
    ASSERT_TRUE(link);
    // Nobody reads the other end, so a large frame backs up.
    const Bytes large(1 << 20, 0xAB);
    const std::size_t written = link->write(large, LinkClock::now() + 200ms);
    ASSERT_LT(written, large.size());
    // What the terminal still held of it is dropped, not delivered late.
    EXPECT_LT(pty.drain().size(), written);
    // The next frame goes out alone: no late remainder of the first before it.
    const Bytes header = {0x12, 0x00, 0x04, 0x00};
    EXPECT_EQ(link->write(header, LinkClock::now() + 2s), header.size());
    EXPECT_EQ(pty.drain(), header);
}

TEST(QtSerialLink, AReplyRunningLongerThanAskedFails) {
    PtyPair pty;
    auto link = OpenLink(pty.path);
    ASSERT_TRUE(link);
    pty.send({0x2A, 0x00, 0x00, 0x00, 0x99});
    ::usleep(50000);
    Bytes count(4, 0);
    EXPECT_EQ(Request(*link, DeviceCommand::CMD_READ_RECORD_COUNT, count.data(), 4).kind,
              Status::Kind::ReplyLong);
    link->discardInput();
    pty.drain();
    pty.send({0x2A, 0x00, 0x00, 0x00});
    EXPECT_TRUE(Request(*link, DeviceCommand::CMD_READ_RECORD_COUNT, count.data(), 4));
}

TEST(QtSerialLink, APortThatVanishesIsGoneAndFailsAtOnce) {
    PtyPair pty;
    auto link = OpenLink(pty.path);
    ASSERT_TRUE(link);
    pty.closeMaster();
    Bytes buffer(16);
    const auto before = LinkClock::now();
    EXPECT_FALSE(Request(*link, DeviceCommand::CMD_READ_IDENT_B, buffer.data(), 16));
    EXPECT_TRUE(link->gone());
    EXPECT_FALSE(Request(*link, DeviceCommand::CMD_READ_IDENT_B, buffer.data(), 16));
    EXPECT_LT(LinkClock::now() - before, EXCHANGE_TIMEOUT) << "a gone port does not wait for the deadline";
}

// The terminal is raw 8N1 at 115200 without flow control while it is
// open, and as it was once closed.
TEST(QtSerialLink, ThePortIsRawWhileOpen) {
    PtyPair pty;
    termios before{}, open{}, after{};
    const int probe = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(probe, 0);
    ASSERT_EQ(::tcgetattr(probe, &before), 0);
    {
        auto link = OpenLink(pty.path);
        ASSERT_TRUE(link);
        ASSERT_EQ(::tcgetattr(probe, &open), 0);
    }
    ASSERT_EQ(::tcgetattr(probe, &after), 0);
    ::close(probe);
    EXPECT_EQ(open.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(open.c_iflag & (ICRNL | IXON | IXOFF | ISTRIP), 0u);
    EXPECT_EQ(open.c_oflag & OPOST, 0u);
    EXPECT_EQ(open.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
    EXPECT_EQ(::cfgetospeed(&open), speed_t(B115200));
    EXPECT_EQ(after.c_lflag, before.c_lflag);
}

// A lock left by a program that has died is cleared and the port opens at
// once; a lock whose program lives keeps the port, and says who holds it.
TEST(QtSerialLink, AStaleLockIsClearedAndALiveOneKeepsThePort) {
    PtyPair pty;
    std::string lockPath;
    for (const std::string& folder : LockFolders()) {
        if (::access(folder.c_str(), R_OK | W_OK) == 0) {
            lockPath = folder + "/" + LockFileName(pty.path);
            break;
        }
    }
    ASSERT_FALSE(lockPath.empty());
    // Qt's form, or the binary one of old UUCP programs.
    const auto writeLock = [](const std::string& path, pid_t pid, const char* app) {
        char host[256] = {};
        ::gethostname(host, sizeof host - 1);
        std::string content(reinterpret_cast<const char*>(&pid), sizeof pid);
        if (app) content = std::to_string(pid) + "\n" + app + "\n" + host + "\n";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << path;
        EXPECT_EQ(::write(fd, content.data(), content.size()), ssize_t(content.size()));
        ::close(fd);
    };
    // Killed and not yet reaped: a zombie holds no port.
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::usleep(50000);
    for (const char* app : {"varnelo-cli", static_cast<const char*>(nullptr)}) {
        writeLock(lockPath, dead, app);
        writeLock(lockPath + ".rmlock", dead, app);
        const auto start = LinkClock::now();
        {
            auto link = OpenLink(pty.path);
            EXPECT_TRUE(link) << (app ? app : "UUCP form");
            EXPECT_LT(LinkClock::now() - start, 1s);
            EXPECT_NE(::access((lockPath + ".rmlock").c_str(), F_OK), 0);
        }
        EXPECT_NE(::access(lockPath.c_str(), F_OK), 0) << "closing gives the lock back";
    }
    ::waitpid(dead, nullptr, 0);

    // A lock naming nobody, as a writer killed half way leaves it: kept while
    // it may still be being written, cleared once older than that. The port's
    // own lock is whole from the moment it shows.
    for (const auto& [content, age, opens] : {std::tuple{"", 6, true}, {"\x01garbled", 6, true}, {"", 0, false}}) {
        std::ofstream(lockPath, std::ios::binary | std::ios::trunc) << content;
        const timeval then[2] = {{::time(nullptr) - age, 0}, {::time(nullptr) - age, 0}};
        ::utimes(lockPath.c_str(), then);
        const OpenedPort port = OpenSerialPort(pty.path);
        EXPECT_EQ(port.link != nullptr, opens) << content << " " << age;
        std::string held;
        if (opens) {
            EXPECT_TRUE(ReadPortLock(lockPath, held) && ReadLockHolder(held)->pid == ::getpid()) << held;
        } else {
            ::unlink(lockPath.c_str());
        }
    }

    const pid_t alive = ::fork();
    if (alive == 0) {
        ::execlp("sleep", "sleep", "30", nullptr);
        ::_exit(127);
    }
    ::usleep(100000);  // until it is sleep, not a copy of this test
    writeLock(lockPath, alive, "sleep");
    const OpenedPort held = OpenSerialPort(pty.path);
    ::kill(alive, SIGKILL);
    ::waitpid(alive, nullptr, 0);
    ::unlink(lockPath.c_str());
    EXPECT_FALSE(held.link);
    EXPECT_EQ(held.status.cause, Status::Cause::PortInUse);
    EXPECT_NE(held.status.detail.find("in use by another program (process " + std::to_string(alive)), std::string::npos)
        << held.status.detail;
}

TEST(QtSerialLink, AMissingPortIsNamedInTheError) {
    const OpenedPort opened = OpenSerialPort("/dev/varnelo-no-such-port");
    EXPECT_FALSE(opened.link);
    EXPECT_EQ(opened.status.cause, Status::Cause::PortMissing);
    EXPECT_NE(opened.status.detail.find("/dev/varnelo-no-such-port"), std::string::npos);
    EXPECT_NE(opened.status.detail.find("no such port"), std::string::npos);
}

}  // namespace
}  // namespace varnelo
