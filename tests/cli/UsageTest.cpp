#include "CliRunner.h"

#include <gtest/gtest.h>

using clitest::runInkstead;

TEST(CliUsage, HelpExitsZeroAndUnknownCommandsAreUsageErrors) {
    const auto help = runInkstead({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("export"), std::string::npos);

    const auto unknown = runInkstead({"frobnicate"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_FALSE(unknown.err.empty());

    const auto none = runInkstead({});
    EXPECT_EQ(none.exitCode, 2);
}
