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

TEST_F(LogFiles, TheEngineLogsTwoSpellingsAreOneFileWhateverTheDirectoryHolds) {
    writeFile("SK_ENGINE.TXT", "stale\n");  // an old file must not capture any line
    vkLogClear("SK_ENGINE.txt");
    vkLog("one\n", "SK_ENGINE.TXT");
    vkLog("two\n", "sk_engine.Txt");
    vkLog("other\n", "VK_SK_ENGINE.TXT");
    EXPECT_EQ(readFile("SK_ENGINE.txt"), kHeader + "one\ntwo\n");
    EXPECT_EQ(readFile("SK_ENGINE.TXT"), "stale\n");
    EXPECT_EQ(readFile("VK_SK_ENGINE.TXT"), "other\n");
    vkLogClear("SK_ENGINE.TXT");
    EXPECT_EQ(readFile("SK_ENGINE.txt"), kHeader);

    // Other names are taken as given, and a directory part is kept.
    writeFile("log.txt", "lower\n");
    vkLog("x\n", "LOG.TXT");
    EXPECT_EQ(readFile("log.txt"), "lower\n");
    EXPECT_EQ(readFile("LOG.TXT"), "x\n");
    ASSERT_EQ(mkdir("sub", 0755), 0);
    vkLog("b\n", "sub/Sk_Engine.TXT");
    EXPECT_EQ(readFile("sub/SK_ENGINE.txt"), "b\n");
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
