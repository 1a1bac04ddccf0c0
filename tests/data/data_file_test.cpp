#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "data/byte_order.h"
#include "data/data_file.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

void Fill(CVarneloDoc& doc, int count, std::uint32_t seed) {
    doc.parameterBlock() = test::PatternRecord(seed);
    for (int i = 0; i < count; ++i) doc.record(i) = test::PatternRecord(seed + 1 + static_cast<std::uint32_t>(i));
    doc.setRecordCount(count);
}

bool SameBlock(const MeasurementRecord& a, const MeasurementRecord& b) { return a.bytes == b.bytes; }

std::vector<std::uint8_t> FileImage(const MeasurementRecord& block0, std::int32_t count, int recordsPresent) {
    std::vector<std::uint8_t> bytes(block0.bytes.begin(), block0.bytes.end());
    bytes.resize(bytes.size() + 4);
    WriteI32Le(bytes.data() + BLOCK_SIZE, count);
    for (int i = 0; i < recordsPresent; ++i) {
        const MeasurementRecord r = test::PatternRecord(900 + static_cast<std::uint32_t>(i));
        bytes.insert(bytes.end(), r.bytes.begin(), r.bytes.end());
    }
    return bytes;
}

TEST(DataFile, EmptyDocumentSavesParameterBlockAndZeroCount) {
    TempDir dir;
    CVarneloDoc doc;
    doc.parameterBlock() = test::PatternRecord(1);
    ASSERT_TRUE(SaveDataFile(dir / "empty.vrnldata", doc));
    const auto bytes = ReadFileBytes(dir / "empty.vrnldata");
    ASSERT_EQ(bytes.size(), 6732u);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + BLOCK_SIZE, doc.parameterBlock().bytes.begin()));
    EXPECT_EQ(ReadI32Le(bytes.data() + BLOCK_SIZE), 0);
}

TEST(DataFile, SaveAndLoadRoundTripEveryByte) {
    // 1500 records are read in parts at the same time where there are cores.
    for (const int count : {5, 1500}) {
        TempDir dir;
        CVarneloDoc saved;
        Fill(saved, count, 40);
        ASSERT_TRUE(SaveDataFile(dir / "saved.vrnldata", saved));
        EXPECT_EQ(fs::file_size(dir / "saved.vrnldata"), DataFileSize(count));

        CVarneloDoc loaded;
        loaded.deviceInfo().bytes.fill(0xAB);
        ASSERT_TRUE(LoadDataFile(dir / "saved.vrnldata", loaded));
        EXPECT_EQ(loaded.recordCount(), count);
        EXPECT_TRUE(SameBlock(loaded.parameterBlock(), saved.parameterBlock()));
        for (int i = 0; i < count; ++i) ASSERT_TRUE(SameBlock(loaded.record(i), saved.record(i))) << i;
        EXPECT_EQ(loaded.deviceInfo().bytes[0], 0xAB);  // the device information is not part of the file
    }
}

TEST(DataFile, SavingReplacesAnOlderFileAndLeavesNoTemporaryBehind) {
    TempDir dir;
    CVarneloDoc doc;
    Fill(doc, 3, 1);
    ASSERT_TRUE(SaveDataFile(dir / "x.vrnldata", doc));
    doc.setRecordCount(1);
    ASSERT_TRUE(SaveDataFile(dir / "x.vrnldata", doc));
    EXPECT_EQ(fs::file_size(dir / "x.vrnldata"), DataFileSize(1));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(DataFile, FailedSaveReportsAndKeepsWhatWasThere) {
    TempDir dir;
    CVarneloDoc doc;
    Fill(doc, 2, 5);
    // A folder cannot be replaced by the file.
    fs::create_directory(dir / "taken.vrnldata");
    WriteFileBytes(dir / "taken.vrnldata" / "inside", {1, 2, 3});
    const Status error = SaveDataFile(dir / "taken.vrnldata", doc);
    ASSERT_FALSE(error);
    EXPECT_EQ(error.kind, Status::Kind::SaveFailed);
    EXPECT_NE(error.detail.find("taken.vrnldata"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir / "taken.vrnldata" / "inside").size(), 3u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    const Status noFolder = SaveDataFile(dir / "missing" / "a.vrnldata", doc);
    ASSERT_FALSE(noFolder);
    EXPECT_NE(noFolder.detail.find("missing"), std::string::npos);
}

TEST(DataFile, BadFilesAreRefusedAndTheDocumentStaysAsItWas) {
    TempDir dir;
    const MeasurementRecord block0 = test::PatternRecord(77);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"truncated", FileImage(block0, 3, 2)},
        {"oneByteShort", FileImage(block0, 3, 3)},
        {"count15001", FileImage(block0, 15001, 0)},
        {"countMinus1", FileImage(block0, -1, 0)},
        {"threeBytes", {1, 2, 3}},
        {"noCount", std::vector<std::uint8_t>(block0.bytes.begin(), block0.bytes.end())},
    };
    cases[0].bytes.resize(cases[0].bytes.size() - 1);  // a whole record and a byte short
    cases[1].bytes.resize(cases[1].bytes.size() - 1);  // the last record one byte short of complete

    for (const Case& c : cases) {
        CVarneloDoc doc;
        Fill(doc, 4, 10);
        const fs::path path = dir / c.name;
        WriteFileBytes(path, c.bytes);
        const Status error = LoadDataFile(path, doc);
        ASSERT_FALSE(error) << c.name;
        EXPECT_EQ(error.kind, Status::Kind::UnexpectedFormat) << c.name;
        EXPECT_NE(error.detail.find(c.name), std::string::npos) << error.detail;

        CVarneloDoc reference;
        Fill(reference, 4, 10);
        EXPECT_EQ(doc.recordCount(), 4) << c.name;
        EXPECT_TRUE(SameBlock(doc.parameterBlock(), reference.parameterBlock())) << c.name;
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(SameBlock(doc.record(i), reference.record(i))) << c.name << i;
    }
}

TEST(DataFile, EmptyFileOpensAndChangesNothing) {
    TempDir dir;
    WriteFileBytes(dir / "zero.vrnldata", {});
    CVarneloDoc doc;
    Fill(doc, 2, 3);
    EXPECT_TRUE(LoadDataFile(dir / "zero.vrnldata", doc));
    EXPECT_EQ(doc.recordCount(), 2);
    EXPECT_TRUE(SameBlock(doc.record(1), test::PatternRecord(3 + 2)));
}

#ifndef _WIN32
// A pipe has no size to check beforehand: it is read to the end of what a
// data file can hold, and then the same rules apply as to a file of that
// length. Nothing arriving is no empty file but a refusal.
TEST(DataFile, APipeIsReadAsAStreamWithTheFileRules) {
    const auto whole = FileImage(test::PatternRecord(2), 300, 300);
    auto longer = whole;
    longer.insert(longer.end(), 5000, 0xEE);
    auto cut = whole;
    cut.resize(cut.size() - 1);
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool opens;
    } cases[] = {
        {"a whole file", whole, true},
        {"bytes after the last record", longer, true},
        {"one byte short", cut, false},
        {"nothing at all", {}, false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path fifo = dir / "pipe";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        std::thread writer([&] { WriteFileBytes(fifo, c.bytes); });
        CVarneloDoc doc;
        Fill(doc, 4, 10);
        const Status error = LoadDataFile(fifo, doc);
        writer.join();
        EXPECT_EQ(error.ok(), c.opens) << c.what << ": " << error.detail;
        if (c.opens) {
            EXPECT_EQ(doc.recordCount(), 300) << c.what;
            EXPECT_TRUE(SameBlock(doc.record(299), test::PatternRecord(900 + 299))) << c.what;
            EXPECT_TRUE(SameBlock(doc.parameterBlock(), test::PatternRecord(2))) << c.what;
        } else {
            EXPECT_EQ(error.kind, Status::Kind::UnexpectedFormat) << c.what;
            EXPECT_EQ(doc.recordCount(), 4) << c.what;
            EXPECT_TRUE(SameBlock(doc.record(3), test::PatternRecord(14))) << c.what;
        }
    }
}

// Where streams are refused, a FIFO nobody writes to is refused at once:
// opening it would wait for a writer that may never come.
TEST(DataFile, StreamsAreRefusedBeforeOpeningWhereAskedTo) {
    TempDir dir;
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    CVarneloDoc doc;
    Fill(doc, 2, 3);
    const auto started = std::chrono::steady_clock::now();
    const Status error = LoadDataFile(fifo, doc, Streams::Refuse);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    ASSERT_FALSE(error);
    EXPECT_EQ(error.kind, Status::Kind::NotRegular);
    EXPECT_NE(error.detail.find("pipe"), std::string::npos) << error.detail;
    EXPECT_EQ(doc.recordCount(), 2);
    // A regular file is taken as before.
    WriteFileBytes(dir / "one.vrnldata", FileImage(test::PatternRecord(2), 1, 1));
    EXPECT_TRUE(LoadDataFile(dir / "one.vrnldata", doc, Streams::Refuse));
    EXPECT_EQ(doc.recordCount(), 1);
}

TEST(DataFile, AStreamEndsWithItsAnnouncedRecordsThoughItsWriterKeepsItOpen) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::atomic<bool> loaded{false};
    std::thread writer([&] {
        std::ofstream out(dir / "pipe", std::ios::binary);
        for (const std::uint8_t byte : FileImage(test::PatternRecord(2), 3, 3)) out.put(static_cast<char>(byte));
        out.flush();
        for (int i = 0; i < 100 && !loaded; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    CVarneloDoc doc;
    const Status loading = LoadDataFile(dir / "pipe", doc);
    loaded = true;
    writer.join();
    EXPECT_TRUE(loading && doc.recordCount() == 3);
}

#endif  // FIFOs are POSIX

TEST(DataFile, ExtraBytesAfterTheLastRecordAreIgnored) {
    // 700 records (4.7 MB) are enough for the file to be read in parts at the same time.
    for (const int count : {2, 700}) {
        TempDir dir;
        auto bytes = FileImage(test::PatternRecord(2), count, count);
        bytes.insert(bytes.end(), 100, 0xEE);
        WriteFileBytes(dir / "extra.vrnldata", bytes);
        CVarneloDoc doc;
        ASSERT_TRUE(LoadDataFile(dir / "extra.vrnldata", doc));
        EXPECT_EQ(doc.recordCount(), count);
        EXPECT_TRUE(SameBlock(doc.record(1), test::PatternRecord(901)));
        EXPECT_EQ(doc.record(count).bytes[0], 0);  // unfilled, whatever the file holds there
    }
}

TEST(DataFile, FullCapacityIsAccepted) {
    TempDir dir;
    const fs::path path = dir / "full.vrnldata";
    WriteFileBytes(path, FileImage(test::PatternRecord(2), RECORD_CAPACITY, 1));
    fs::resize_file(path, DataFileSize(RECORD_CAPACITY));  // sparse: zero records behind the first
    CVarneloDoc doc;
    ASSERT_TRUE(LoadDataFile(path, doc));
    EXPECT_EQ(doc.recordCount(), RECORD_CAPACITY);
    EXPECT_TRUE(SameBlock(doc.record(0), test::PatternRecord(900)));
    EXPECT_EQ(doc.record(RECORD_CAPACITY - 1).bytes[100], 0);
}

// Whatever happens to a large file once loaded, the document keeps what it
// loaded and its edits.
TEST(DataFile, LoadedRecordsOutliveChangesToTheFile) {
    constexpr int COUNT = 400;  // 2.7 MB
    const std::vector<std::pair<const char*, std::function<void(const fs::path&, CVarneloDoc&)>>> changes = {
        {"cut to nothing", [](const fs::path& path, CVarneloDoc&) { fs::resize_file(path, 0); }},
        {"overwritten in place",
         [](const fs::path& path, CVarneloDoc&) {
             std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
             const std::string junk(BLOCK_SIZE * 50, '\x5A');
             file.seekp(static_cast<std::streamoff>(DataFileSize(100)));
             file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
         }},
        {"cut to one record", [](const fs::path& path, CVarneloDoc&) { fs::resize_file(path, DataFileSize(1)); }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        TempDir dir;
        CVarneloDoc saved;
        Fill(saved, COUNT, 70);
        ASSERT_TRUE(SaveDataFile(dir / "a.vrnldata", saved));
        CVarneloDoc doc;
        ASSERT_TRUE(LoadDataFile(dir / "a.vrnldata", doc));
        doc.record(3) = test::PatternRecord(7);
        saved.record(3) = test::PatternRecord(7);

        change(dir / "a.vrnldata", doc);
        ASSERT_EQ(doc.recordCount(), COUNT);
        for (int i = 0; i < COUNT; ++i) ASSERT_TRUE(SameBlock(doc.record(i), saved.record(i))) << i;

        // Loading another file lets go of the first: cutting it must not wait.
        ASSERT_TRUE(SaveDataFile(dir / "b.vrnldata", saved));
        ASSERT_TRUE(LoadDataFile(dir / "b.vrnldata", doc));
        const auto start = std::chrono::steady_clock::now();
        fs::resize_file(dir / "b.vrnldata", 0);
        fs::resize_file(dir / "a.vrnldata", 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_TRUE(SameBlock(doc.record(COUNT - 1), saved.record(COUNT - 1)));
    }
}

TEST(DataFile, MissingFileCannotBeOpened) {
    TempDir dir;
    CVarneloDoc doc;
    const Status error = LoadDataFile(dir / "nope.vrnldata", doc);
    ASSERT_FALSE(error);
    EXPECT_EQ(error.kind, Status::Kind::OpenFailed);
    EXPECT_NE(error.detail.find("nope.vrnldata"), std::string::npos);
}

TEST(Document, StartsEmptyWithZeroedBlocksAndHoldsTheCountInRange) {
    CVarneloDoc doc;
    EXPECT_EQ(doc.recordCount(), 0);
    EXPECT_EQ(doc.record(RECORD_CAPACITY - 1).bytes[BLOCK_SIZE - 1], 0);
    EXPECT_EQ(doc.parameterBlock().bytes[0], 0);
    doc.setRecordCount(20000);
    EXPECT_EQ(doc.recordCount(), RECORD_CAPACITY);
    doc.setRecordCount(-5);
    EXPECT_EQ(doc.recordCount(), 0);
}

}  // namespace
}  // namespace varnelo
