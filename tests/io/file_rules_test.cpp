// What reading and safe saving must do on every system, Windows' own rules
// included: names outside the user's code page, a file replaced where it
// stands, and a file that another handle holds open.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "data/data_file.h"
#include "io/atomic_file.h"
#include "io/open_file.h"
#include "io/read_only_file.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    ReadOnlyFile file;
    std::uintmax_t size = 0;
    if (!file.open(path) || !file.size(size)) return "cannot read: " + file.status().detail;
    std::string text(static_cast<std::size_t>(size), '\0');
    text.resize(file.read(0, text.data(), text.size()));
    return text;
}

bool Save(const fs::path& path, const std::string& text, std::string& error) {
    AtomicFileWriter writer(path);
    const bool saved = writer.open() && writer.write(text) && writer.commit();
    error = writer.status().detail;
    return saved;
}

TEST(FileRules, JapaneseNamesAreWrittenReplacedAndRead) {
    test::TempDir dir;
    const fs::path folder = dir.path() / fs::path(u8"測定データ");
    fs::create_directory(folder);
    const fs::path target = folder / fs::path(u8"畑の記録.csv");
    std::string error;
    for (const std::string text : {"first\r\n", "second, longer\r\n", "3\r\n"}) {
        ASSERT_TRUE(Save(target, text, error)) << error;
        EXPECT_EQ(Read(target), text);
        EXPECT_EQ(test::EntriesIn(folder), 1u) << "the new file replaced the old one, nothing beside it";
    }

    // The data format reaches such a name through the same calls.
    auto doc = std::make_unique<CVarneloDoc>();
    doc->record(1) = test::PatternRecord(9);
    doc->setRecordCount(2);
    const fs::path data = folder / fs::path(u8"記録.vrnldata");
    ASSERT_TRUE(SaveDataFile(data, *doc));
    auto loaded = std::make_unique<CVarneloDoc>();
    ASSERT_TRUE(LoadDataFile(data, *loaded));
    EXPECT_EQ(loaded->recordCount(), 2);
    EXPECT_EQ(loaded->record(1).bytes, doc->record(1).bytes);

    // A failure names the file in UTF-8, whatever the system's own encoding.
    const fs::path missing = folder / fs::path(u8"無い") / "x.csv";
    EXPECT_FALSE(Save(missing, "x", error));
    EXPECT_NE(error.find(PathText(missing)), std::string::npos) << error;
}

// Where the system lets a file open elsewhere be replaced (POSIX), the save
// goes through and the other handle keeps reading what it opened. Where it
// does not (Windows, unless the other program shares deletion), the save
// fails naming the file, and the old file and the folder stay as they were.
TEST(FileRules, AFileOpenInAnotherHandleIsReplacedOrLeftWhole) {
    test::TempDir dir;
    const fs::path target = dir / "held.csv";
    std::string error;
    ASSERT_TRUE(Save(target, "old\r\n", error)) << error;
    std::FILE* held = OpenFile(target, "rb");
    ASSERT_NE(held, nullptr);

    const bool saved = Save(target, "new\r\n", error);
#ifdef _WIN32
    if (!saved) {
        EXPECT_NE(error.find(PathText(target)), std::string::npos) << error;
        EXPECT_EQ(Read(target), "old\r\n");
    }
#else
    EXPECT_TRUE(saved) << error;
#endif
    if (saved) {
        EXPECT_EQ(Read(target), "new\r\n");
    }
    char bytes[8] = {};
    EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, held), 5u);
    EXPECT_EQ(std::string(bytes, 5), "old\r\n") << "the other handle reads the file it opened";
    std::fclose(held);
    EXPECT_EQ(test::EntriesIn(dir.path()), 1u);
}

}  // namespace
}  // namespace varnelo
