// Lock files beside serial ports: which holder they name, and when the
// holder is gone so that the lock may be cleared.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "device/port_lock.h"

namespace varnelo {
namespace {

TEST(PortLock, ALockIsStaleOnlyWhenItNamesAGoneProcessOfThisMachine) {
    std::string binary(4, '\0');
    const std::int32_t pid = 4321;
    std::memcpy(binary.data(), &pid, sizeof pid);
    using namespace std::chrono_literals;
    const struct {
        std::string content;
        long holder;         // 0: names nobody
        bool ofThisMachine;  // judged by its holder; the rest by age
    } cases[] = {
        {"4321\nvarnelo-cli\nfield-pc\n", 4321, true},                    // Qt's form
        {"4321\nvarnelo-cli\nfield-pc\n7d1a\nboot\n", 4321, true},        // with Qt's later lines
        {"4321\nvarnelo-cli\nother-pc\n", 4321, false},                   // another machine's
        {"      4321\n", 4321, true},                                     // HDB UUCP
        {"4321", 4321, true},                                             // digits alone
        {binary, 4321, true},                                             // old UUCP, binary
        {"", 0, false}, {"\n", 0, false}, {"0\n", 0, false}, {"-5\n", 0, false},
        {"12ab\n", 0, false}, {"99999999999\n", 0, false},
    };
    for (const auto& c : cases) {
        const auto holder = ReadLockHolder(c.content);
        EXPECT_EQ(holder ? holder->pid : 0, c.holder) << c.content;
        long asked = 0;
        const auto gone = [&](long p) { asked = p; return true; };
        const auto alive = [](long) { return false; };
        EXPECT_EQ(LockIsStale(c.content, "field-pc", 1s, gone), c.ofThisMachine) << c.content;
        EXPECT_EQ(asked, c.ofThisMachine ? c.holder : 0) << "only a holder of this machine is looked up";
        EXPECT_FALSE(LockIsStale(c.content, "field-pc", 1s, alive)) << c.content;
        EXPECT_EQ(LockIsStale(c.content, "field-pc", 1h, alive), !c.ofThisMachine) << "a living holder keeps it";
        // One naming nobody, empty or garbled, is a writer's that died half way.
        EXPECT_EQ(LockIsStale(c.content, "field-pc", 6s, alive), c.holder == 0) << c.content;
    }
    for (const auto& [stat, ended] : std::initializer_list<std::pair<const char*, bool>>{
             {"4321 (varnelo-cli) Z 1 4321", true}, {"4321 (a) b) X 1", true}, {"4321 (sleep) S 1 4321", false},
             {"4321 (x Z) R 1", false}, {"", false}, {"4321 (cut", false}}) {
        EXPECT_EQ(ProcessStatSaysEnded(stat), ended) << stat;
    }
    EXPECT_EQ(LockFileName("/dev/ttyACM0"), "LCK..ttyACM0");
    EXPECT_EQ(LockFileName("/dev/pts/3"), "LCK..pts_3");
    EXPECT_EQ(LockFileName("/tmp/sim/logger"), "LCK.._tmp_sim_logger");
}

}  // namespace
}  // namespace varnelo
