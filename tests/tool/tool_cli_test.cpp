// glimra-tool's common paths: usage text and the library error report.
#include <gtest/gtest.h>

#include "test_support.h"

TEST(ToolCli, UsageListsCommandsAndUnknownCommandFails) {
    std::string out, err;
    EXPECT_EQ(run_command(tool_path().string() + " help", &out), 0);
    EXPECT_NE(out.find("usage: glimra-tool COMMAND"), std::string::npos) << out;
    EXPECT_NE(run_command(tool_path().string() + " no-such-command", &out, &err), 0);
    EXPECT_NE(err.find("unknown command"), std::string::npos) << err;
    EXPECT_NE(run_command(tool_path().string(), &out, &err), 0);
}

TEST(ToolCli, LibraryErrorIsReportedWithItsMessageAndStatus1) {
    std::string out, err;
    EXPECT_EQ(run_command(tool_path().string() + " error -9", &out, &err), 1);
    EXPECT_EQ(err, "error -9: Unknown file format\n");
    EXPECT_EQ(run_command(tool_path().string() + " error -1", &out, &err), 1);
    EXPECT_EQ(err, "error -1: Not enough memory.  Try closing other applications\n");
}
