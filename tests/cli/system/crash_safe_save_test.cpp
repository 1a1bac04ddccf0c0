// Saving under the worst conditions: the process writing a full document or
// a CSV export is killed (SIGKILL) at several points of the write, or runs
// out of room. The older file must come through byte for byte, nothing may
// be left behind, a later save must succeed, and a failure must say which
// file and why.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "data/data_file.h"
#include "export/csv_export.h"
#include "io/temporary_name.h"
#include "support/test_support.h"
#include "track/gps_track.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int CSV_RECORDS = 2000;                      // about 15 MB of CSV text
constexpr rlim_t FILE_SIZE_LIMIT = 4 * 1024 * 1024;    // "the disk is full" after 4 MB
constexpr auto WRITE_TIMEOUT = 120s;                   // a sanitized build writes slowly

// A document whose every record differs from its neighbours, cheap to build.
void FillDocument(CVarneloDoc& doc, int count) {
    doc.parameterBlock() = test::PatternRecord(1);
    const MeasurementRecord pattern = test::PatternRecord(2);
    for (int i = 0; i < count; ++i) {
        MeasurementRecord& r = doc.record(i);
        r = pattern;
        r.set_exp(100 + i % 7, 120 + i % 11);
        r.set_time(41, 10, 7, i / 3600 % 24, i / 60 % 60, i % 60);
        r.set_gps_text("X,1,2," + std::to_string(3539.0 + i * 0.001) + ",N,13945.6789,E,1,2,9,3,4");
    }
    doc.setRecordCount(count);
}

bool SameBytes(const fs::path& a, const fs::path& b) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> fa(std::fopen(a.c_str(), "rb"), std::fclose);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> fb(std::fopen(b.c_str(), "rb"), std::fclose);
    if (!fa || !fb) return false;
    std::vector<char> ba(1 << 20), bb(1 << 20);
    for (;;) {
        const std::size_t na = std::fread(ba.data(), 1, ba.size(), fa.get());
        const std::size_t nb = std::fread(bb.data(), 1, bb.size(), fb.get());
        if (na != nb || std::memcmp(ba.data(), bb.data(), na) != 0) return false;
        if (na == 0) return true;
    }
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The folder's names after a writer of target was killed. The portable
// build's temporary file has its name from the start, so a writer killed
// before the rename leaves it: hidden, never the target itself. It is
// cleared away here, and only a name of that form.
std::vector<std::string> NamesAfterAKill(const fs::path& folder, const fs::path& target) {
    RemoveStaleTemporaries(target);
    return Names(folder);
}

bool OpenForWriting(pid_t pid, const char* fd) {
    std::ifstream info("/proc/" + std::to_string(pid) + "/fdinfo/" + fd);
    std::string key;
    unsigned long flags = 0;
    while (info >> key) {
        if (key == "flags:" && info >> std::oct >> flags) return (flags & O_ACCMODE) != O_RDONLY;
    }
    return false;
}

// The size of the file that process pid is writing in folder (named or not),
// or -1 while it has none open there for writing.
long long WrittenSoFar(pid_t pid, const fs::path& folder) {
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = ::opendir(fds.c_str());
    if (!dir) return -1;
    long long size = -1;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string fd = fds + "/" + entry->d_name;
        char target[4096];
        const ssize_t n = ::readlink(fd.c_str(), target, sizeof target - 1);
        if (n <= 0 || std::string(target, static_cast<std::size_t>(n)).rfind(folder.string() + "/", 0) != 0) continue;
        if (!OpenForWriting(pid, entry->d_name)) continue;
        struct stat info {};
        if (::stat(fd.c_str(), &info) == 0 && S_ISREG(info.st_mode)) size = std::max<long long>(size, info.st_size);
    }
    ::closedir(dir);
    return size;
}

// Kills pid with SIGKILL once it has written `bytes` into a file in folder.
// True when the kill landed; false when the process had ended by itself.
bool KillOnceWritten(pid_t pid, const fs::path& folder, long long bytes) {
    const auto deadline = std::chrono::steady_clock::now() + WRITE_TIMEOUT;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, &status, WNOHANG) == pid) return false;
        if (WrittenSoFar(pid, folder) >= bytes) break;
        std::this_thread::sleep_for(200us);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status);
}

pid_t Start(const std::function<void()>& work) {
    const pid_t pid = test::ForkChild();
    if (pid == 0) {
        work();
        ::_exit(0);
    }
    return pid;
}

pid_t StartCli(const std::vector<std::string>& arguments) {
    return Start([&] {
        std::vector<char*> argv{const_cast<char*>(test::CliPath())};
        for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    });
}

// Where in the write the kill lands, as a share of the finished file; 1
// means everything is written and the file is being flushed and renamed.
constexpr double KILL_POINTS[] = {0.0, 0.3, 0.6, 0.9, 1.0};

class CrashSafeSave : public ::testing::Test {
protected:
    // A writer's target after the kill at `share`: the old bytes, or (only
    // when the writer got to the end first) the new ones; nothing else in
    // the folder either way.
    void KillAtEveryPoint(const std::function<pid_t()>& startWriter, const fs::path& target, const fs::path& oldCopy,
                          const fs::path& complete, const std::vector<std::string>& expectedNames) {
        const long long full = static_cast<long long>(fs::file_size(complete));
        for (const double share : KILL_POINTS) {
            fs::copy_file(oldCopy, target, fs::copy_options::overwrite_existing);
            fs::permissions(target, fs::perms(0640));
            const pid_t writer = startWriter();
            const bool killed = KillOnceWritten(writer, dir.path(), static_cast<long long>(share * full));
            EXPECT_TRUE(killed || share == 1.0) << "the writer finished before " << share << " of its file";
            EXPECT_TRUE(SameBytes(target, killed ? oldCopy : complete)) << "killed at " << share;
            EXPECT_EQ(NamesAfterAKill(dir.path(), target), expectedNames) << "killed at " << share;
        }
    }

    test::TempDir dir;
};

TEST_F(CrashSafeSave, AKilledSaveOfAFullDocumentLeavesTheOlderFileWhole) {
    auto doc = std::make_unique<CVarneloDoc>();
    FillDocument(*doc, 3);
    const fs::path old = dir / "old.vrnldata";
    ASSERT_TRUE(SaveDataFile(old, *doc));
    FillDocument(*doc, RECORD_CAPACITY);
    const fs::path complete = dir / "complete.vrnldata";
    ASSERT_TRUE(SaveDataFile(complete, *doc));
    ASSERT_EQ(fs::file_size(complete), DataFileSize(RECORD_CAPACITY));

    const fs::path target = dir / "data.vrnldata";
    KillAtEveryPoint([&] { return Start([&] { (void)SaveDataFile(target, *doc); }); }, target, old, complete,
                     {"complete.vrnldata", "data.vrnldata", "old.vrnldata"});

    // A later save goes through and keeps the file's permissions.
    ASSERT_TRUE(SaveDataFile(target, *doc));
    EXPECT_TRUE(SameBytes(target, complete));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"complete.vrnldata", "data.vrnldata", "old.vrnldata"}));
}

TEST_F(CrashSafeSave, AKilledCsvExportLeavesTheOlderFileWhole) {
    auto doc = std::make_unique<CVarneloDoc>();
    auto track = std::make_unique<GpsTrack>();
    FillDocument(*doc, CSV_RECORDS);
    ComputeTrack(*doc, CSV_RECORDS, *track);
    const fs::path data = dir / "data.vrnldata";
    ASSERT_TRUE(SaveDataFile(data, *doc));
    const fs::path complete = dir / "complete.csv";
    ASSERT_TRUE(ExportCsv(complete, *doc, *track, {}).status);
    const fs::path old = dir / "old.csv";
    test::WriteFileBytes(old, {'o', 'l', 'd', '\r', '\n'});

    const fs::path target = dir / "out.csv";
    KillAtEveryPoint([&] { return StartCli({"export", data.string(), "-o", target.string()}); }, target, old, complete,
                     {"complete.csv", "data.vrnldata", "old.csv", "out.csv"});

    const test::ProcessResult later = test::RunCli({"export", data.string(), "-o", target.string()});
    ASSERT_EQ(later.status, 0) << later.err;
    EXPECT_TRUE(SameBytes(target, complete));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
}

// A library (.sli, .csv and the .hdr that describes them) or a layer and its
// .qml style, killed at each call that replaces or removes one of its files
// (strace's fault injection): readers find the old set, the new set, or no
// header at all, never a header beside data it does not describe; the next
// run leaves the whole new set and nothing else.
TEST_F(CrashSafeSave, AKilledSetOfFilesNeverLeavesAHeaderBesideOtherData) {
    if (::access("/usr/bin/strace", X_OK) != 0) GTEST_SKIP() << "strace is not installed";
    auto doc = std::make_unique<CVarneloDoc>();
    FillDocument(*doc, 30);
    ASSERT_TRUE(SaveDataFile(dir / "old.vrnldata", *doc));
    FillDocument(*doc, 50);
    ASSERT_TRUE(SaveDataFile(dir / "new.vrnldata", *doc));
    const struct {
        std::vector<std::string> arguments;  // the input follows
        std::vector<std::string> files;      // the header last
    } sets[] = {
        {{"library", "-o", "lib.sli"}, {"lib.sli", "lib.csv", "lib.hdr"}},
        {{"points", "--profiles", "-o", "p.geojson"}, {"p.geojson", "p.qml"}},
    };
    const auto run = [&](const auto& set, const char* input, const std::vector<std::string>& before) {
        test::CliSetting setting;
        setting.workingDirectory = dir.path();
        std::vector<std::string> arguments = before;
        if (!before.empty()) {
            setting.program = "/usr/bin/strace";
            arguments.push_back(test::CliPath());
            // LeakSanitizer cannot work under a tracer.
            const char* options = std::getenv("ASAN_OPTIONS");
            setting.environment = {std::string("ASAN_OPTIONS=") + (options ? options : "") + ":detect_leaks=0"};
        }
        arguments.insert(arguments.end(), set.arguments.begin(), set.arguments.end());
        arguments.push_back(input);
        return test::RunCli(arguments, setting);
    };
    using Set = std::vector<std::vector<std::uint8_t>>;
    const auto files = [&](const auto& set) {
        Set bytes;
        for (const std::string& name : set.files) bytes.push_back(fs::exists(dir / name) ? test::ReadFileBytes(dir / name) : std::vector<std::uint8_t>{});
        return bytes;
    };
    for (const auto& set : sets) {
        ASSERT_EQ(run(set, "new.vrnldata", {}).status, 0);
        const Set fresh = files(set);
        ASSERT_EQ(run(set, "old.vrnldata", {}).status, 0);
        const Set old = files(set);
        for (const char* call : {"fsync,fdatasync", "link,linkat", "unlink,unlinkat", "rename,renameat,renameat2"}) {
            for (int n = 1;; ++n) {
                const std::string inject = std::string("inject=") + call + ":signal=KILL:when=" + std::to_string(n);
                const test::ProcessResult killed = run(set, "new.vrnldata", {"-f", "-o", "/dev/null", "-e", inject, "--"});
                const Set now = files(set);
                const std::string at = set.files.front() + " killed at " + call + " " + std::to_string(n);
                EXPECT_TRUE(now == old || now == fresh || !fs::exists(dir / set.files.back())) << at;
                if (killed.status == 0) {
                    // Only a file without a name until it is written whole is linked.
                    EXPECT_TRUE(n > 1 || std::string(call).starts_with("link")) << at << ": no such call was made";
                    break;
                }
                ASSERT_LT(n, 10) << at << ": " << killed.err;
                ASSERT_EQ(run(set, "old.vrnldata", {}).status, 0) << at;
            }
        }
        fs::permissions(dir / set.files.back(), fs::perms(0640));
        EXPECT_EQ(run(set, "new.vrnldata", {}).status, 0);
        EXPECT_EQ(files(set), fresh);
        EXPECT_EQ(fs::status(dir / set.files.back()).permissions(), fs::perms(0640)) << "the header keeps its mode";
        for (const std::string& name : set.files) fs::remove(dir / name);
        EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"new.vrnldata", "old.vrnldata"})) << set.files.front();
    }
}

// The file size limit stands in for a full disk: writes beyond it fail the
// way they fail on a full one, in the child process alone.
void LimitFileSize() {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{FILE_SIZE_LIMIT, FILE_SIZE_LIMIT};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

TEST_F(CrashSafeSave, AFullDiskFailsClearlyAndLeavesTheOlderFileWhole) {
    auto doc = std::make_unique<CVarneloDoc>();
    FillDocument(*doc, 3);
    const fs::path data = dir / "data.vrnldata";
    ASSERT_TRUE(SaveDataFile(data, *doc));
    const fs::path oldCopy = dir / "copy.vrnldata";
    fs::copy_file(data, oldCopy);
    FillDocument(*doc, 2000);  // 13 MB

    // The save of the data file, in a process of its own.
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t saver = Start([&] {
        LimitFileSize();
        const Status outcome = SaveDataFile(data, *doc);
        const std::string said = outcome ? "saved" : outcome.detail;
        if (::write(pipe[1], said.data(), said.size()) < 0) ::_exit(1);
    });
    ::close(pipe[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) said.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe[0]);
    ::waitpid(saver, nullptr, 0);
    EXPECT_NE(said.find(data.string()), std::string::npos) << said;
    EXPECT_NE(said.find(std::strerror(EFBIG)), std::string::npos) << said;
    EXPECT_TRUE(SameBytes(data, oldCopy));
    // The command line under a full disk: cli_outputs_test.
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"copy.vrnldata", "data.vrnldata"}));
}

}  // namespace
}  // namespace varnelo
