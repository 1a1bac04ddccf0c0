#include <gtest/gtest.h>

#include "data/data_file.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

TEST(CliList, PrintsOneLabelPerRecordInOrder) {
    test::TempDir dir;
    CVarneloDoc doc;
    doc.record(0).set_time(41, 10, 7, 9, 5, 3);
    doc.record(1).set_time(41, 12, 31, 23, 59, 58);
    doc.record(2).set_time(-1, 1, 2, 3, 4, 5);
    doc.setRecordCount(3);
    ASSERT_TRUE(SaveDataFile(dir / "three.vrnldata", doc));

    const auto result = test::RunCli({"list", (dir / "three.vrnldata").string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "2021/10/ 7, 9: 5: 3\n2021/12/31,23:59:58\n1979/ 1/ 2, 3: 4: 5\n");
    EXPECT_EQ(result.err, "");
}

TEST(CliList, RefusedFileGivesOneLineNamingFileAndReason) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "bad.vrnldata", {1, 2, 3});
    const auto result = test::RunCli({"list", (dir / "bad.vrnldata").string()});
    EXPECT_NE(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("bad.vrnldata"), std::string::npos);
    EXPECT_NE(result.err.find("not a Varnelo data file"), std::string::npos);
    EXPECT_EQ(result.err.find("予期"), std::string::npos);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
}

TEST(CliList, UsageErrorsFailWithoutOutput) {
    EXPECT_NE(test::RunCli({"list"}).status, 0);
    EXPECT_NE(test::RunCli({"frobnicate"}).status, 0);
}

}  // namespace
}  // namespace varnelo
