// `varnelo-cli download --append` through the real serial code, against a
// simulated logger on a pseudo-terminal: what goes over the wire, the
// refusals, and every fault, after which the file must be byte for byte
// what it was. Then the command killed at any moment of its run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "cli_fixture.h"
#include "data/byte_order.h"
#include "data/data_file.h"
#include "simulator/simulated_content.h"
#include "support/simulator_process.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t SEED = 5;
constexpr int HELD = 100;

// The file's parameter block is not the logger's: appending must keep it.
Bytes DataFile(const SimulatedContent& content, int count) {
    Bytes file = test::ExpectedDataFile(content, count);
    file[100] ^= 0xFF;
    return file;
}

// What a reader takes: the bytes up to the last record the count announces.
Bytes Announced(Bytes bytes) {
    if (bytes.size() >= DATA_FILE_HEADER_SIZE) {
        const std::uintmax_t announced = DataFileSize(ReadI32Le(bytes.data() + BLOCK_SIZE));
        if (announced < bytes.size()) bytes.resize(static_cast<std::size_t>(announced));
    }
    return bytes;
}

std::vector<std::string> Lines(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The connection's five exchanges, the check of record k-1, then a pair per new record.
std::vector<std::string> Wire(int held, int checked, int appendedTo) {
    std::vector<std::string> wire = {"2", "0", "6", "8", "18"};
    if (checked) wire.insert(wire.end(), {"140 " + std::to_string(held - 1), "16"});
    for (int i = held; i < appendedTo; ++i) wire.insert(wire.end(), {"140 " + std::to_string(i), "16"});
    return wire;
}

enum class Setup { DataFile, NotADataFile, ReadOnlyFile, ReadOnlyFolder, FullDisk, CableCut };

struct Case {
    const char* name;
    std::vector<std::string> logger;  // of `varnelo-cli simulate`, after --seed SEED
    int status;
    int result;        // records in the file after; HELD: the file as it was
    const char* says;  // on stdout when the status is 0, else on stderr
    bool checked = true;  // the check went over the wire
    Setup setup = Setup::DataFile;
    std::vector<std::string> extra = {};  // of the command
    int held = HELD;
};

std::ostream& operator<<(std::ostream& out, const Case& c) { return out << c.name; }

const Case CASES[] = {
    {"TwentyNew", {"--records", "120"}, 0, 120, "20 new records (120 in all)\n"},
    {"NoNewRecords", {"--records", "100"}, 0, HELD, "no new records (100 in all)\n"},
    {"ClearedLogger", {"--records", "60"}, 1, HELD, "the logger holds 60 records, fewer than the 100", false},
    {"AnotherLogger", {"--records", "120", "--seed", "6"}, 1, HELD, "record 99 differs"},
    {"SilentAtTheCheck", {"--records", "120", "--silent-from", "99"}, 1, HELD,
     "stopped at record 99 (the check): record select (command 140)"},
    {"ShortReplyAtTheCheck", {"--records", "120", "--short-reply", "99", "--persistent-faults"}, 1, HELD,
     "record 99 (the check): record read (command 16): 3364 of 6728"},
    {"ExtraByteAtTheCheck", {"--records", "120", "--extra-byte", "99", "--persistent-faults"}, 1, HELD,
     "longer than the 6728 bytes"},
    {"ShortReplyOnceIsRetried", {"--records", "120", "--short-reply", "105"}, 0, 120, "20 new records (120 in all)\n"},
    {"StopHalfWay", {"--records", "120", "--short-reply", "110", "--persistent-faults"}, 1, HELD,
     "nothing appended to"},
    {"StopHalfWayKeepingPartial", {"--records", "120", "--short-reply", "110", "--persistent-faults"}, 1, 110,
     "the 10 complete new records were appended", true, Setup::DataFile, {"--keep-partial"}},
    {"CableCutHalfWay", {"--records", "400", "--pace", "10"}, 1, HELD, "the port has gone", true, Setup::CableCut},
    {"NotADataFile", {"--records", "120"}, 1, HELD, "not a Varnelo data file", false, Setup::NotADataFile},
    {"ReadOnlyFile", {"--records", "120"}, 1, HELD, "the file is read-only", false, Setup::ReadOnlyFile},
    {"ReadOnlyFolder", {"--records", "120"}, 0, 120, "20 new records (120 in all)\n", true, Setup::ReadOnlyFolder},
    {"FullDisk", {"--records", "120"}, 1, HELD, "File too large", true, Setup::FullDisk},
    {"CountAboveCapacityIsHeld", {"--records", "20000"}, 0, RECORD_CAPACITY, "10 new records (15000 in all)\n",
     true, Setup::DataFile, {}, RECORD_CAPACITY - 10},
};

class AppendThroughPty : public ::testing::TestWithParam<Case> {};

TEST_P(AppendThroughPty, AppendsOnlyWhatIsNewAndOtherwiseLeavesTheFileByteForByte) {
    const Case& c = GetParam();
    if (c.held == RECORD_CAPACITY - 10 && test::SANITIZED) GTEST_SKIP() << "100 MB files are for the optimised build";
    test::TempDir dir;
    const fs::path folder = dir / "data";
    fs::create_directory(folder);
    const fs::path file = folder / "day.vrnldata";
    const fs::path wireLog = dir / "wire.log";
    const SimulatedContent content(std::max(c.held, c.result), SEED);
    const Bytes before = c.setup == Setup::NotADataFile ? Bytes{'n', 'o', 't', '\n'} : DataFile(content, c.held);
    test::WriteFileBytes(file, before);

    std::vector<std::string> logger = {"--seed", std::to_string(SEED), "--wire-log", wireLog.string()};
    logger.insert(logger.end(), c.logger.begin(), c.logger.end());
    test::SimulatorProcess simulator(logger);
    std::vector<std::string> command = {"download", "--append", file.string(), "--port", simulator.port()};
    command.insert(command.end(), c.extra.begin(), c.extra.end());

    test::CliSetting setting;
    if (c.setup == Setup::ReadOnlyFile) fs::permissions(file, fs::perms(0444));
    if (c.setup == Setup::ReadOnlyFolder) fs::permissions(folder, fs::perms(0555));
    // Room for the old file, none for the new records.
    if (c.setup == Setup::FullDisk) setting.fileSizeLimit = static_cast<long>(DataFileSize(HELD) + 1000);
    test::ProcessResult result;
    if (c.setup == Setup::CableCut) {
        auto run = std::async(std::launch::async, [&] { return test::RunCli(command); });
        std::this_thread::sleep_for(1500ms);
        simulator.kill();
        result = run.get();
    } else {
        result = test::RunCli(command, setting);
    }
    fs::permissions(folder, fs::perms(0755));

    EXPECT_EQ(result.status, c.status) << result.err;
    if (c.status == 0) {
        EXPECT_EQ(result.out, c.says);
    } else {
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
        test::ExpectOneLine(result, c.name);
    }
    const Bytes after = test::ReadFileBytes(file);
    if (c.result == HELD) {
        EXPECT_TRUE(after == before) << "the file changed";
    } else {
        EXPECT_TRUE(after == DataFile(content, c.result)) << "not the file a full download gives";
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << "something was left";
    // --records alone: no retry adds a pair, and nothing stops early.
    if (c.logger.size() == 2 && c.setup == Setup::DataFile) {
        EXPECT_EQ(Lines(wireLog), Wire(c.held, c.checked, c.status == 0 ? c.result : c.held)) << "exchanges not needed";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AppendThroughPty, ::testing::ValuesIn(CASES),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

// Killed (SIGKILL) or interrupted (SIGINT) at points spread over its whole
// run, or at each write, the command leaves a file that reads as the old one
// or the complete new one, and nothing else in the folder.
TEST(AppendKilled, AtAnyMomentLeavesTheOldFileOrTheNewOneWhole) {
    constexpr int OLD = 2000, NEW = 2040;  // a 13 MB file, 40 records to fetch
    test::TempDir dir;
    const fs::path folder = dir / "data";
    fs::create_directory(folder);
    const fs::path oldFile = dir / "old.vrnldata", newFile = dir / "new.vrnldata", file = folder / "day.vrnldata";
    for (const auto& [path, n] : {std::pair{oldFile, OLD}, std::pair{newFile, NEW}}) {
        const auto made = test::RunCli({"download", "--sim", "--records", std::to_string(n), "-o", path.string()});
        ASSERT_EQ(made.status, 0) << made.err;
    }
    const Bytes oldBytes = test::ReadFileBytes(oldFile), newBytes = test::ReadFileBytes(newFile);
    test::SimulatorProcess simulator({"--records", std::to_string(NEW), "--pace", "2"});
    const std::vector<std::string> command = {"download", "--append", file.string(), "--port", simulator.port()};

    fs::copy_file(oldFile, file);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(test::RunCli(command).status, 0);
    const auto whole = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(test::ReadFileBytes(file) == newBytes);

    int oldSeen = 0, newSeen = 0;
    for (const int signal : {SIGKILL, SIGINT}) {
        for (const double share : {0.1, 0.5, 0.8, 0.9, 0.95, 1.0}) {
            fs::copy_file(oldFile, file, fs::copy_options::overwrite_existing);
            const pid_t child = test::ForkChild();
            if (child == 0) {
                std::vector<char*> argv{const_cast<char*>(test::CliPath())};
                for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
                argv.push_back(nullptr);
                const int quiet = ::open("/dev/null", O_WRONLY);
                ::dup2(quiet, 1);
                ::dup2(quiet, 2);
                ::execv(argv[0], argv.data());
                ::_exit(127);
            }
            std::this_thread::sleep_for(std::chrono::duration_cast<std::chrono::microseconds>(whole * share));
            ::kill(child, signal);
            int status = 0;
            ::waitpid(child, &status, 0);
            const Bytes after = Announced(test::ReadFileBytes(file));
            const bool isOld = after == oldBytes, isNew = after == newBytes;
            EXPECT_TRUE(isOld || isNew) << "signal " << signal << " at " << share;
            oldSeen += isOld;
            newSeen += isNew;
            if (signal == SIGINT && WIFEXITED(status)) {
                EXPECT_EQ(WEXITSTATUS(status) == 0, isNew) << share;
            }
            EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << share;
        }
    }
    EXPECT_GT(oldSeen, 0);

    // Killed at each call that writes or flushes the file, the next run
    // completes it; a save killed before its rename leaves a temporary that
    // the next writer removes.
    if (::access("/usr/bin/strace", X_OK) != 0) {
        GTEST_SKIP() << "the kills at each write need strace";
    }
    const auto killedAt = [&](const std::string& calls, int when, std::vector<std::string> arguments) {
        test::CliSetting setting;
        setting.program = "/usr/bin/strace";
        const std::string inject = "inject=" + calls + ":signal=KILL:when=" + std::to_string(when);
        arguments.insert(arguments.begin(), {"-f", "-o", "/dev/null", "-e", inject, test::CliPath()});
        return test::RunCli(arguments, setting);
    };
    for (const auto& [call, when] : {std::pair{"pwrite64", 1}, {"pwrite64", 2}, {"fsync", 1}, {"fsync", 2}}) {
        fs::copy_file(oldFile, file, fs::copy_options::overwrite_existing);
        EXPECT_EQ(killedAt(call, when, command).status, 128 + SIGKILL) << call << when;
        const Bytes after = Announced(test::ReadFileBytes(file));
        EXPECT_TRUE(after == oldBytes || after == newBytes) << call << when;
        EXPECT_EQ(test::RunCli(command).status, 0) << call << when;
        EXPECT_TRUE(test::ReadFileBytes(file) == newBytes) << call << when;
    }
    killedAt("/^rename", 1, {"download", "--sim", "--records", "20", "-o", file.string()});
    EXPECT_EQ(test::EntriesIn(folder), 2u) << "the killed save left no temporary";
    fs::copy_file(oldFile, file, fs::copy_options::overwrite_existing);
    EXPECT_EQ(test::RunCli(command).status, 0);
    EXPECT_EQ(test::EntriesIn(folder), 1u);
}

// What a file renamed over this one would not keep.
std::tuple<ino_t, nlink_t, uid_t, gid_t, mode_t> Identity(const fs::path& path) {
    struct stat s {};
    ::stat(path.c_str(), &s);
    return {s.st_ino, s.st_nlink, s.st_uid, s.st_gid, s.st_mode};
}

// Two appends at once: the first holds the file for its whole run; the second
// refuses after a moment, or, once the first is done, checks what it added.
// The file is extended in place: its links, owner and group stay.
TEST(AppendTwice, AtOnceOneWriterHoldsTheFileAndTheOtherSeesWhatItLeft) {
    const SimulatedContent content(400, SEED);
    const std::string seed = std::to_string(SEED);
    // 200 new records take the slow logger 3 s, longer than a writer waits.
    test::SimulatorProcess slow({"--seed", seed, "--records", "300", "--pace", "15"});
    test::SimulatorProcess fast({"--seed", seed, "--records", "400", "--pace", "2"});
    const struct {
        const test::SimulatorProcess* first;
        const test::SimulatorProcess* second;
        int result;
        const char* firstSays;
        const char* secondSays;
    } cases[] = {
        {&slow, &fast, 300, "200 new records (300 in all)\n", "is being written by another program; nothing appended"},
        {&fast, &slow, 400, "300 new records (400 in all)\n", "the logger holds 300 records, fewer than the 400"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const fs::path file = dir / "day.vrnldata";
        test::WriteFileBytes(file, DataFile(content, HELD));
        fs::create_hard_link(file, dir / "link.vrnldata");
        ASSERT_TRUE(::geteuid() != 0 || ::chown(file.c_str(), 4321, 4322) == 0);
        const auto before = Identity(file);
        const auto run = [&file](const test::SimulatorProcess* logger) {
            return test::RunCli({"download", "--append", file.string(), "--port", logger->port()});
        };
        auto first = std::async(std::launch::async, run, c.first);
        std::this_thread::sleep_for(300ms);
        const test::ProcessResult second = run(c.second), firstResult = first.get();
        EXPECT_EQ(firstResult.out, c.firstSays) << firstResult.err;
        EXPECT_EQ(second.status, 1);
        EXPECT_NE(second.err.find(c.secondSays), std::string::npos) << second.err;
        EXPECT_TRUE(test::ReadFileBytes(file) == DataFile(content, c.result));
        EXPECT_EQ(Identity(file), before);
    }
}

}  // namespace
}  // namespace varnelo
