#pragma once

// The loaders take file names, so each input is written to one scratch file
// per process (in memory-backed /dev/shm where there is one) and reused.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace fuzz {

inline const char* writeInput(const uint8_t* data, size_t size, const char* suffix) {
    static std::string path;
    if (path.empty()) {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
        path = std::string(dir ? dir : "/tmp") + "/vaskel_fuzz_" + std::to_string(getpid()) + suffix;
        std::atexit([] { std::remove(path.c_str()); });
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path.c_str();
}

}  // namespace fuzz
