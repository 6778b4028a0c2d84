#pragma once

// Tests that touch files run in a fresh temporary working directory (the
// engine writes its logs there, the game reads its images from there),
// removed again afterwards.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class WorkDir {
public:
    WorkDir() {
        char tmpl[] = "/tmp/vaskel_unit_XXXXXX";
        if (!mkdtemp(tmpl)) std::abort();
        path_ = tmpl;
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~WorkDir() {
        std::error_code ec;
        std::filesystem::current_path(old_, ec);
        std::filesystem::remove_all(path_, ec);
    }
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::filesystem::path old_;
};

// Whole file as text; "" when it does not exist.
inline std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline bool exists(const std::string& name) { return access(name.c_str(), F_OK) == 0; }

inline void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

class ScratchDir : public ::testing::Test {
protected:
    WorkDir dir;
};
