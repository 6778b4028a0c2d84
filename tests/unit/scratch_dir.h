#pragma once

// A test fixture that runs each test in a fresh temporary working directory
// (the engine writes its logs to the working directory) and returns to the
// previous one afterwards, removing what the test left behind.

#include <gtest/gtest.h>

#include <ftw.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

class ScratchDir : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(oldDir_, sizeof oldDir_), nullptr);
        char tmpl[] = "/tmp/vaskel_unit_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        ASSERT_EQ(chdir(tmpl), 0);
    }

    void TearDown() override {
        EXPECT_EQ(chdir(oldDir_), 0);
        if (!dir_.empty())
            nftw(dir_.c_str(), [](const char* p, const struct stat*, int, FTW*) { return std::remove(p); }, 16,
                 FTW_DEPTH | FTW_PHYS);
    }

    // Whole file as text; "" when it does not exist.
    static std::string readFile(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    static bool exists(const std::string& name) { return access(name.c_str(), F_OK) == 0; }

    static void writeFile(const std::string& name, const std::string& bytes) {
        std::ofstream out(name, std::ios::binary);
        out << bytes;
    }

private:
    char oldDir_[PATH_MAX] = {};
    std::string dir_;
};
