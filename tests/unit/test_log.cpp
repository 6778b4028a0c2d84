#include "engine/vaskel_debug.h"
#include "scratch_dir.h"

#include <sys/stat.h>

using LogFiles = ScratchDir;

const std::string kHeader = "Log Cleared\n===========\n\n";

TEST_F(LogFiles, ClearWritesTheHeaderAndLogAppendsVerbatim) {
    writeFile("a.txt", "stale lines\n");
    vkLogClear("a.txt");
    vkLog("100% done %s %d\n", "a.txt");
    vkLog("no line end", "a.txt");
    vkLog(" still the same line\n", "a.txt");
    EXPECT_EQ(readFile("a.txt"), kHeader + "100% done %s %d\nno line end still the same line\n");

    vkLogClear("new.txt");
    vkLog("x\n", "other.txt");  // appending creates no header
    EXPECT_EQ(readFile("new.txt"), kHeader);
    EXPECT_EQ(readFile("other.txt"), "x\n");
}

TEST_F(LogFiles, NamesDifferingOnlyInCaseShareOneFile) {
    vkLogClear("SK_ENGINE.txt");
    vkLog("one\n", "SK_ENGINE.TXT");
    vkLog("other\n", "VK_SK_ENGINE.TXT");
    EXPECT_EQ(readFile("SK_ENGINE.txt"), kHeader + "one\n");
    EXPECT_FALSE(exists("SK_ENGINE.TXT"));
    EXPECT_EQ(readFile("VK_SK_ENGINE.TXT"), "other\n");
    vkLogClear("SK_ENGINE.TXT");
    EXPECT_EQ(readFile("SK_ENGINE.txt"), kHeader);

    // An exact match wins; variants are looked up in the named directory.
    writeFile("log.txt", "lower\n");
    writeFile("LOG.TXT", "upper\n");
    vkLog("x\n", "LOG.TXT");
    EXPECT_EQ(readFile("LOG.TXT"), "upper\nx\n");
    EXPECT_EQ(readFile("log.txt"), "lower\n");
    ASSERT_EQ(mkdir("sub", 0755), 0);
    writeFile("sub/Trace.txt", "a\n");
    vkLog("b\n", "sub/TRACE.TXT");
    EXPECT_EQ(readFile("sub/Trace.txt"), "a\nb\n");
    EXPECT_FALSE(exists("sub/TRACE.TXT"));
}

TEST_F(LogFiles, UnopenableTargetIsSkippedAndLoggingCarriesOn) {
    ASSERT_EQ(mkdir("blocked.txt", 0755), 0);
    vkLogClear("blocked.txt");
    vkLog("lost\n", "BLOCKED.TXT");
    vkLog("lost\n", "no_such_dir/x.txt");
    vkLog("kept\n", "fine.txt");
    EXPECT_EQ(readFile("fine.txt"), "kept\n");
    EXPECT_FALSE(exists("no_such_dir"));
}
