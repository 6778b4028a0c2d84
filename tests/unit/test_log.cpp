#include "engine/vaskel_debug.h"
#include "scratch_dir.h"

#include <sys/stat.h>

using LogFiles = ScratchDir;

const char kHeader[] = "Log Cleared\n===========\n\n";

TEST_F(LogFiles, ClearTruncatesOrCreatesWithHeader) {
    writeFile("old.txt", "stale lines\nmore\n");
    vkLogClear("old.txt");
    EXPECT_EQ(readFile("old.txt"), kHeader);

    vkLogClear("new.txt");
    EXPECT_EQ(readFile("new.txt"), kHeader);
}

TEST_F(LogFiles, AppendsMessagesVerbatimWithoutHeader) {
    vkLog("100% done %s %d\n", "a.txt");
    vkLog("no line end", "a.txt");
    vkLog(" still the same line\n", "a.txt");
    EXPECT_EQ(readFile("a.txt"), "100% done %s %d\nno line end still the same line\n");

    vkLogClear("a.txt");
    vkLog("after\n", "a.txt");
    EXPECT_EQ(readFile("a.txt"), std::string(kHeader) + "after\n");
}

TEST_F(LogFiles, NamesDifferingOnlyInCaseShareOneFile) {
    vkLogClear("SK_ENGINE.txt");
    vkLog("one\n", "SK_ENGINE.TXT");
    vkLog("two\n", "SK_ENGINE.txt");
    vkLog("other\n", "VK_SK_ENGINE.TXT");
    EXPECT_EQ(readFile("SK_ENGINE.txt"), std::string(kHeader) + "one\ntwo\n");
    EXPECT_FALSE(exists("SK_ENGINE.TXT"));
    EXPECT_EQ(readFile("VK_SK_ENGINE.TXT"), "other\n");

    // Clearing under the other spelling empties the same file.
    vkLogClear("SK_ENGINE.TXT");
    EXPECT_EQ(readFile("SK_ENGINE.txt"), kHeader);
    EXPECT_FALSE(exists("SK_ENGINE.TXT"));
}

TEST_F(LogFiles, ExactNameWinsOverCaseVariant) {
    writeFile("log.txt", "lower\n");
    writeFile("LOG.TXT", "upper\n");
    vkLog("x\n", "LOG.TXT");
    vkLog("y\n", "log.txt");
    EXPECT_EQ(readFile("LOG.TXT"), "upper\nx\n");
    EXPECT_EQ(readFile("log.txt"), "lower\ny\n");
}

TEST_F(LogFiles, CaseFoldingLooksInTheNamedDirectory) {
    ASSERT_EQ(mkdir("sub", 0755), 0);
    writeFile("sub/Trace.txt", "a\n");
    vkLog("b\n", "sub/TRACE.TXT");
    EXPECT_EQ(readFile("sub/Trace.txt"), "a\nb\n");
    EXPECT_FALSE(exists("sub/TRACE.TXT"));
}

TEST_F(LogFiles, UnopenableFileIsSkippedAndLoggingCarriesOn) {
    ASSERT_EQ(mkdir("blocked.txt", 0755), 0);
    vkLogClear("blocked.txt");
    vkLog("lost\n", "blocked.txt");
    vkLog("lost too\n", "BLOCKED.TXT");
    vkLog("kept\n", "fine.txt");
    EXPECT_EQ(readFile("fine.txt"), "kept\n");
    vkLog("lost\n", "no_such_dir/x.txt");
    EXPECT_FALSE(exists("no_such_dir"));
}
