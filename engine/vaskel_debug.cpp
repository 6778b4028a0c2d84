#include "vaskel_debug.h"

#include <strings.h>

#include <cstdio>
#include <string>

namespace {

// The engine writes its log under two spellings, as it would on a case-blind
// file system. The name alone decides where a line goes, never what the
// directory happens to hold: a stale "SK_ENGINE.TXT" lying beside the log
// must not take half of the run's lines.
const char* const kLogNames[] = {"SK_ENGINE.txt"};

std::string canonicalLogName(const char* fileName) {
    std::string path = fileName;
    std::string::size_type slash = path.rfind('/');
    std::string::size_type baseAt = slash == std::string::npos ? 0 : slash + 1;
    for (const char* name : kLogNames)
        if (strcasecmp(path.c_str() + baseAt, name) == 0) return path.substr(0, baseAt) + name;
    return path;
}

void writeLog(const char* fileName, const char* mode, const char* text) {
    if (!fileName || !text) return;
    FILE* f = std::fopen(canonicalLogName(fileName).c_str(), mode);
    if (!f) return;  // a log that cannot be opened is skipped, never fatal
    std::fputs(text, f);
    std::fclose(f);
}

}  // namespace

void vkLog(const char* message, const char* fileName) { writeLog(fileName, "a", message); }

void vkLogClear(const char* fileName) { writeLog(fileName, "w", "Log Cleared\n===========\n\n"); }
