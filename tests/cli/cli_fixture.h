#pragma once
// A data file of five records with GPS positions in a fresh folder, and what
// the tests check of every failing command.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "data/data_file.h"
#include "support/test_support.h"

namespace varnelo::test {

class CliFixture : public ::testing::Test {
protected:
    void SetUp() override {
        auto doc = std::make_unique<CVarneloDoc>();
        for (int i = 0; i < 5; ++i) {
            doc->record(i) = PatternRecord(static_cast<std::uint32_t>(i));
            doc->record(i).set_gps_text("X,1,A,353" + std::to_string(i) + ".1234,S,13945.6789,E,1,2,9,12.3,4");
            doc->record(i).set_time(41, 10, 7, 9, 5, i);
        }
        doc->setRecordCount(5);
        ASSERT_TRUE(SaveDataFile(input, *doc));
        inputBytes = ReadFileBytes(input);
    }

    std::string Text(const std::filesystem::path& path) const {
        const auto bytes = ReadFileBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }

    TempDir dir;
    std::filesystem::path input = dir / "in.vrnldata";
    std::vector<std::uint8_t> inputBytes;
};

inline CliSetting InFolder(const std::filesystem::path& folder) {
    CliSetting setting;
    setting.workingDirectory = folder;
    return setting;
}

// One English line on stderr, naming the program.
inline void ExpectOneLine(const ProcessResult& result, const std::string& context) {
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << context << ": " << result.err;
    EXPECT_EQ(result.err.rfind("varnelo-cli: ", 0), 0u) << context << ": " << result.err;
    EXPECT_TRUE(std::all_of(result.err.begin(), result.err.end(), [](char c) { return c > 0; }))
        << context << ": " << result.err;
}

}  // namespace varnelo::test
