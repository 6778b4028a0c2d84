#include "vaskel_debug.h"

#include <dirent.h>
#include <strings.h>

#include <cstdio>
#include <string>

namespace {

// The engine writes the one engine log under two spellings of its name, as
// it would on a case-blind file system. Here we look in the target directory
// for an entry that differs only in case and write to that; an exact match
// wins, and among several case variants the smallest name wins so the choice
// does not depend on directory order.
std::string resolveLogName(const char* fileName) {
    std::string path = fileName;
    std::string::size_type slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string prefix = slash == std::string::npos ? "" : dir;
    if (base.empty()) return path;

    DIR* d = opendir(dir.c_str());
    if (!d) return path;
    std::string found;
    bool exact = false;
    while (dirent* e = readdir(d)) {
        const char* name = e->d_name;
        if (base == name) {
            exact = true;
            break;
        }
        if (strcasecmp(base.c_str(), name) == 0 && (found.empty() || found > name)) found = name;
    }
    closedir(d);
    if (exact || found.empty()) return path;
    return prefix + found;
}

void writeLog(const char* fileName, const char* mode, const char* text) {
    if (!fileName || !text) return;
    FILE* f = std::fopen(resolveLogName(fileName).c_str(), mode);
    if (!f) return;  // a log that cannot be opened is skipped, never fatal
    std::fputs(text, f);
    std::fclose(f);
}

}  // namespace

void vkLog(const char* message, const char* fileName) { writeLog(fileName, "a", message); }

void vkLogClear(const char* fileName) { writeLog(fileName, "w", "Log Cleared\n===========\n\n"); }
