#include <gtest/gtest.h>

#include "app/app_command_line.h"
#include "app_test_support.h"

namespace varnelo {
namespace {

TEST(AppCommandLine, FileLoggerAndUsageErrors) {
    test::FreshApplication();
    const auto parse = [](QStringList arguments, int& exitCode) {
        arguments.prepend(QStringLiteral("varnelo"));
        exitCode = -1;
        return ParseAppCommandLine(arguments, exitCode);
    };
    int exitCode = 0;
    auto line = parse({QStringLiteral("day.vrnldata"), QStringLiteral("--sim"), QStringLiteral("--records"),
                       QStringLiteral("30"), QStringLiteral("--silent-from"), QStringLiteral("4")},
                      exitCode);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->file, QStringLiteral("day.vrnldata"));
    EXPECT_EQ(line->logger.kind, LoggerChoice::Kind::Simulated);
    EXPECT_EQ(line->logger.simulator.records, 30);
    EXPECT_EQ(line->logger.simulator.faults.silentFrom, 4);

    line = parse({QStringLiteral("--port"), QStringLiteral("./logger")}, exitCode);
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->file.isEmpty());
    EXPECT_EQ(line->logger.kind, LoggerChoice::Kind::Port);
    EXPECT_EQ(line->logger.port, QStringLiteral("./logger"));

    for (const QStringList& wrong : {QStringList{QStringLiteral("a.vrnldata"), QStringLiteral("b.vrnldata")},
                                     QStringList{QStringLiteral("--sim"), QStringLiteral("--port"), QStringLiteral("x")},
                                     QStringList{QStringLiteral("--sim"), QStringLiteral("--records"), QStringLiteral("many")},
                                     QStringList{QStringLiteral("--frobnicate")}}) {
        EXPECT_FALSE(parse(wrong, exitCode)) << wrong.join(' ').toStdString();
        EXPECT_EQ(exitCode, 2) << wrong.join(' ').toStdString();
    }
    testing::internal::CaptureStdout();
    EXPECT_FALSE(parse({QStringLiteral("--help")}, exitCode));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("--sim"), std::string::npos);
    EXPECT_EQ(exitCode, 0);
}

}  // namespace
}  // namespace varnelo
